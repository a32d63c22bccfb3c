// SPDX-License-Identifier: GPL-3.0-or-later
#include "playback/playentry.h"

#include "base/settings.h"
#include "base/settingskeys.h"
#include "engine/mediaplayer.h"

void playEntry(SongCollection &c, int n, MediaPlayer &player, const AddressResolver &resolve,
               Settings &settings)
{
    if (c.count == 0 || n < 1 || n > SongCollection::kCapacity)
        return;
    c.currentIndex = qint16(n);
    QString url = c.entry(n).address;
    if (url.isEmpty()) {
        const QString name = c.entry(n).songName;
        const QString singer = c.entry(n).singer;
        url = resolve ? resolve(name, singer, true) : QString();
        // The lookup lets window events run, and one of them may have removed
        // or replaced this entry, or the whole collection: only the song that
        // was looked up keeps the answer. A slot above count stays empty.
        SongEntry &e = c.entry(n);
        if (n <= c.count && e.address.isEmpty() && e.songName == name && e.singer == singer)
            e.address = url;
    }
    player.setUrl(url);
    player.play();
    c.playing = true;
    settings.store(SettingKeys::lastPlayPosition, QString::number(n));
}
