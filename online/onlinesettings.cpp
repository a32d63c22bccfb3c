#include "online/onlinesettings.h"

#include "base/settings.h"
#include "base/settingskeys.h"

namespace {

QString hostEntry(Settings &settings, const SettingKey &key)
{
    QString host = settings.value(key).trimmed();
    // Tolerate an entry written as a full address.
    if (host.startsWith(QLatin1String("http://"), Qt::CaseInsensitive))
        host = host.mid(7);
    while (host.endsWith(QLatin1Char('/')))
        host.chop(1);
    return host.isEmpty() ? QString::fromUtf8(key.fallback) : host;
}

} // namespace

QString searchHost(Settings &settings)
{
    return hostEntry(settings, SettingKeys::searchHost);
}

QString lookupHost(Settings &settings)
{
    return hostEntry(settings, SettingKeys::lookupHost);
}

int httpTimeoutMs(Settings &settings)
{
    const qint64 ms = settings.number(SettingKeys::httpTimeoutMs);
    if (ms < 1000 || ms > 600000)
        return kDefaultHttpTimeoutMs;
    return int(ms);
}

int searchLimitMs(Settings &settings)
{
    const qint64 ms = settings.number(SettingKeys::searchLimitMs);
    if (ms < 1000 || ms > 3600000)
        return kDefaultSearchLimitMs;
    return int(ms);
}

qint64 maxReplyBytes(Settings &settings)
{
    const qint64 bytes = settings.number(SettingKeys::maxReplyBytes);
    if (bytes < 64 * 1024 || bytes > (qint64(1) << 30))
        return kDefaultMaxReplyBytes;
    return bytes;
}
