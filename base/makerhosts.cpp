// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/makerhosts.h"

#include "base/settings.h"
#include "base/settingskeys.h"

namespace {
QString urlOn(const QString &host, const QString &rest)
{
    return host.isEmpty() ? QString() : QStringLiteral("http://") + host + rest;
}
} // namespace

QString makerSiteHost(Settings &settings)
{
    return settings.value(SettingKeys::makerSite).trimmed();
}

QString makerSiteUrl(Settings &settings)
{
    return urlOn(makerSiteHost(settings), QStringLiteral("/"));
}

QString firstRunPageUrl(Settings &settings)
{
    return urlOn(settings.value(SettingKeys::makerBlog).trimmed(), QStringLiteral("/?post=105"));
}
