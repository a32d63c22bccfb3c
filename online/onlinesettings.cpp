#include "online/onlinesettings.h"

#include "core/settings.h"

namespace {

const QString kSection = QStringLiteral("网络");

QString hostEntry(Settings &settings, const QString &key, const char *def)
{
    QString host = settings.get(Settings::fixedApp(), kSection, key, def).trimmed();
    // Tolerate an entry written as a full address.
    if (host.startsWith(QLatin1String("http://"), Qt::CaseInsensitive))
        host = host.mid(7);
    while (host.endsWith(QLatin1Char('/')))
        host.chop(1);
    return host.isEmpty() ? QString::fromLatin1(def) : host;
}

} // namespace

QString searchHost(Settings &settings)
{
    return hostEntry(settings, QStringLiteral("搜索主机"), "wap.sogou.com");
}

QString lookupHost(Settings &settings)
{
    return hostEntry(settings, QStringLiteral("查询主机"), "box.zhangmen.baidu.com");
}

int httpTimeoutMs(Settings &settings)
{
    const QString text = settings.get(Settings::fixedApp(), kSection, QStringLiteral("超时毫秒"),
                                      kDefaultHttpTimeoutMs);
    const qint64 ms = Settings::toInt(text, kDefaultHttpTimeoutMs);
    if (ms < 1000 || ms > 600000)
        return kDefaultHttpTimeoutMs;
    return int(ms);
}
