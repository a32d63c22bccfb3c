// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "desktop/fileassociation.h"

#include <QByteArray>
#include <QString>

// The freedesktop way to become the user's handler of MP3 files: a desktop
// entry "Liravo.desktop" in $XDG_DATA_HOME/applications and
// "audio/mpeg=Liravo.desktop" among the Default Applications of
// $XDG_CONFIG_HOME/mimeapps.list (every other line of that file is kept).
class XdgFileAssociation : public FileAssociation {
public:
    bool associateMp3(const QString &executablePath) override;
    // Why the last associateMp3 failed; empty after success.
    const QString &errorText() const { return error_; }

    static QString desktopId() { return QStringLiteral("Liravo.desktop"); }
    // The entry's text, running `executablePath` with the opened file.
    static QByteArray desktopEntry(const QString &executablePath);
    // `executablePath` as one argument of an Exec line (quoted and escaped
    // where the desktop entry rules require it).
    static QString execArgument(const QString &executablePath);
    // mimeapps.list contents with `desktopId` the default for `mimeType` and
    // first among its added associations; everything else is left as it was.
    static QByteArray withDefaultHandler(const QByteArray &mimeapps, const QString &mimeType,
                                         const QString &desktopId);

private:
    QString error_;
};
