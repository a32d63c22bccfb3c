// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/leanstyle.h"

#include <QDir>
#include <QGuiApplication>
#include <QImageReader>
#include <QStyleOption>
#include <QWidget>

LeanStyle::LeanStyle(const QString &key) : QProxyStyle(key) {}

QPixmap LeanStyle::readPng(const QString &path)
{
    QImageReader reader(path, "png");
    reader.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(reader.read());
}

QIcon LeanStyle::pngIcon(const QString &folder, const QString &prefix, bool rightToLeft)
{
    QIcon icon;
    const QDir dir(folder);
    for (const QString &name : dir.entryList({prefix + QStringLiteral("*.png")}, QDir::Files)) {
        if (name.contains(QStringLiteral("-rtl")) != rightToLeft)
            continue;
        const QPixmap pixmap = readPng(dir.filePath(name));
        if (!pixmap.isNull())
            icon.addPixmap(pixmap);
    }
    return icon;
}

QIcon LeanStyle::standardIcon(StandardPixmap which, const QStyleOption *option,
                              const QWidget *widget) const
{
    // Qt's own pictures for the menu bar's overflow button, the one standard
    // icon the main window asks for while it is being built.
    if (which == SP_ToolBarHorizontalExtensionButton || which == SP_ToolBarVerticalExtensionButton) {
        const bool horizontal = which == SP_ToolBarHorizontalExtensionButton;
        const Qt::LayoutDirection direction =
            option ? option->direction
                   : (widget ? widget->layoutDirection() : QGuiApplication::layoutDirection());
        const QIcon icon =
            pngIcon(QStringLiteral(":/qt-project.org/styles/commonstyle/images"),
                    horizontal ? QStringLiteral("toolbar-ext-h-") : QStringLiteral("toolbar-ext-v-"),
                    horizontal && direction == Qt::RightToLeft);
        if (!icon.isNull())
            return icon;
    }
    return QProxyStyle::standardIcon(which, option, widget);
}
