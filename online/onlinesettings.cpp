#include "online/onlinesettings.h"

#include "base/settings.h"

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

int searchLimitMs(Settings &settings)
{
    const QString text = settings.get(Settings::fixedApp(), kSection, QStringLiteral("搜索总毫秒"),
                                      kDefaultSearchLimitMs);
    const qint64 ms = Settings::toInt(text, kDefaultSearchLimitMs);
    if (ms < 1000 || ms > 3600000)
        return kDefaultSearchLimitMs;
    return int(ms);
}

qint64 maxReplyBytes(Settings &settings)
{
    const QString text = settings.get(Settings::fixedApp(), kSection, QStringLiteral("应答上限字节"),
                                      QString::number(kDefaultMaxReplyBytes));
    const qint64 bytes = Settings::toInt(text, kDefaultMaxReplyBytes);
    if (bytes < 64 * 1024 || bytes > (qint64(1) << 30))
        return kDefaultMaxReplyBytes;
    return bytes;
}
