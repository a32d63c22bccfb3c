// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/qtbrowser.h"

#include <QDesktopServices>
#include <QUrl>

bool QtBrowser::openUrl(const QString &url)
{
    const QUrl target(url, QUrl::StrictMode);
    if (!target.isValid())
        return false;
    return QDesktopServices::openUrl(target);
}
