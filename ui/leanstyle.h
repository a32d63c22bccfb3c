// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QIcon>
#include <QProxyStyle>

// The desktop's own style with one change: the icons the menu bar asks for
// when it is built are read as the PNG files they are. Left to itself, Qt
// guesses their format by offering them to every image plugin, which loads
// the JPEG, GIF and ICO readers (and libjpeg) into the player for good.
class LeanStyle : public QProxyStyle {
    Q_OBJECT
public:
    // key names the style to build on, as QStyleFactory knows it.
    explicit LeanStyle(const QString &key);

    QIcon standardIcon(StandardPixmap icon, const QStyleOption *option = nullptr,
                       const QWidget *widget = nullptr) const override;

    // Reads a PNG (a file or a resource) without asking any image plugin.
    static QPixmap readPng(const QString &path);
    // Every PNG in folder whose name starts with prefix, either only the
    // right-to-left variants ("-rtl" in the name) or only the others.
    static QIcon pngIcon(const QString &folder, const QString &prefix, bool rightToLeft = false);
};
