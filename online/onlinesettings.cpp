// SPDX-License-Identifier: GPL-3.0-or-later
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

namespace {
// The entry as a number, or fallback when it is unreadable or outside [low, high].
qint64 numberWithin(Settings &settings, const SettingKey &key, qint64 low, qint64 high,
                    qint64 fallback)
{
    const qint64 n = settings.number(key);
    return n < low || n > high ? fallback : n;
}
} // namespace

int httpTimeoutMs(Settings &settings)
{
    return int(numberWithin(settings, SettingKeys::httpTimeoutMs, 1000, 600000, kDefaultHttpTimeoutMs));
}

int searchLimitMs(Settings &settings)
{
    return int(numberWithin(settings, SettingKeys::searchLimitMs, 1000, 3600000, kDefaultSearchLimitMs));
}

qint64 maxReplyBytes(Settings &settings)
{
    return numberWithin(settings, SettingKeys::maxReplyBytes, 64 * 1024, qint64(1) << 30,
                        kDefaultMaxReplyBytes);
}
