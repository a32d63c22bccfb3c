#include "base/makerhosts.h"

#include "base/settings.h"

namespace {
QString hostEntry(Settings &settings, const QString &key)
{
    return settings.get(Settings::fixedApp(), QStringLiteral("网站"), key, QString()).trimmed();
}

QString urlOn(const QString &host, const QString &rest)
{
    return host.isEmpty() ? QString() : QStringLiteral("http://") + host + rest;
}
} // namespace

QString makerSiteHost(Settings &settings)
{
    return hostEntry(settings, QStringLiteral("主页"));
}

QString makerBlogHost(Settings &settings)
{
    return hostEntry(settings, QStringLiteral("博客"));
}

QString makerSiteUrl(Settings &settings)
{
    return urlOn(makerSiteHost(settings), QStringLiteral("/"));
}

QString firstRunPageUrl(Settings &settings)
{
    return urlOn(makerBlogHost(settings), QStringLiteral("/?post=105"));
}
