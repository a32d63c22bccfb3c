#include "base/makerhosts.h"

#include "base/settings.h"
#include "base/settingskeys.h"

namespace {
QString hostEntry(Settings &settings, const SettingKey &key)
{
    return settings.value(key).trimmed();
}

QString urlOn(const QString &host, const QString &rest)
{
    return host.isEmpty() ? QString() : QStringLiteral("http://") + host + rest;
}
} // namespace

QString makerSiteHost(Settings &settings)
{
    return hostEntry(settings, SettingKeys::makerSite);
}

QString makerBlogHost(Settings &settings)
{
    return hostEntry(settings, SettingKeys::makerBlog);
}

QString makerSiteUrl(Settings &settings)
{
    return urlOn(makerSiteHost(settings), QStringLiteral("/"));
}

QString firstRunPageUrl(Settings &settings)
{
    return urlOn(makerBlogHost(settings), QStringLiteral("/?post=105"));
}
