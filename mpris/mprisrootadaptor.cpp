// SPDX-License-Identifier: GPL-3.0-or-later
#include "mpris/mprisrootadaptor.h"

#include "mpris/mprishandler.h"

MprisRootAdaptor::MprisRootAdaptor(QObject *parent, MprisHandler &handler)
    : QDBusAbstractAdaptor(parent), handler_(handler)
{
}

QStringList MprisRootAdaptor::supportedUriSchemes() const
{
    return {QStringLiteral("file"), QStringLiteral("http"), QStringLiteral("https")};
}

QStringList MprisRootAdaptor::supportedMimeTypes() const
{
    return handler_.supportedMimeTypes();
}

void MprisRootAdaptor::Raise()
{
    handler_.raise();
}

void MprisRootAdaptor::Quit()
{
    handler_.quit();
}
