// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/songnotifications.h"

#include "base/settings.h"
#include "base/settingskeys.h"

SongNotice songNotice(const QString &songName, const QString &singer, const QString &album,
                      const QImage &cover)
{
    QString body = singer.trimmed();
    const QString a = album.trimmed();
    if (!a.isEmpty())
        body = body.isEmpty() ? a : body + QStringLiteral(" — ") + a;
    return SongNotice{songName.trimmed(), body, cover};
}

SongNotifications::SongNotifications(Notifier &notifier, Settings &settings)
    : notifier_(notifier), settings_(settings)
{
}

SongNotifications::When SongNotifications::when(Settings &settings)
{
    const QString text = settings.value(SettingKeys::songNotifications);
    if (text == QStringLiteral("总是"))
        return When::Always;
    if (text == QStringLiteral("从不"))
        return When::Never;
    return When::WhileHidden;
}

void SongNotifications::nowPlaying(const QString &songKey, const SongNotice &notice, bool windowVisible)
{
    if (any_ && songKey == lastKey_)
        return;
    any_ = true;
    lastKey_ = songKey;
    switch (when(settings_)) {
    case When::Always:
        break;
    case When::WhileHidden:
        if (windowVisible)
            return;
        break;
    case When::Never:
        return;
    }
    notifier_.notify(notice);
}
