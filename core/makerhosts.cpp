#include "core/makerhosts.h"

#include "core/settings.h"

namespace {
QString hostEntry(Settings &settings, const QString &key, const QString &builtIn)
{
    const QString host = settings.get(Settings::fixedApp(), QStringLiteral("网站"), key, builtIn)
                             .trimmed();
    return host.isEmpty() ? builtIn : host;
}
} // namespace

QString makerSiteHost(Settings &settings)
{
    return hostEntry(settings, QStringLiteral("主页"), QStringLiteral("www.liravo.example"));
}

QString makerBlogHost(Settings &settings)
{
    return hostEntry(settings, QStringLiteral("博客"), QStringLiteral("blog.liravo.example"));
}

QString makerSiteUrl(Settings &settings)
{
    return QStringLiteral("http://") + makerSiteHost(settings) + QStringLiteral("/");
}

QString firstRunPageUrl(Settings &settings)
{
    return QStringLiteral("http://") + makerBlogHost(settings) + QStringLiteral("/?post=105");
}
