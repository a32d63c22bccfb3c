// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "desktop/notifier.h"

#include <QString>

class Settings;

// The notice for a song: its name as the summary, singer and album (those
// known) as the body.
SongNotice songNotice(const QString &songName, const QString &singer, const QString &album,
                      const QImage &cover = {});

// Decides when a song is told on the desktop: when another song starts, and
// as the setting "设置"/"歌曲通知" says ("隐藏时": only while the main window
// is hidden, the default; "总是"; "从不"). Pausing, seeking, the playback tick
// and the same song started again tell nothing.
class SongNotifications {
public:
    enum class When { WhileHidden, Always, Never };

    SongNotifications(Notifier &notifier, Settings &settings);

    // Call whenever what plays may have changed. songKey names the song (its
    // address or path, say); only a key other than the last one given
    // counts as a new song, whether it was told or not.
    void nowPlaying(const QString &songKey, const SongNotice &notice, bool windowVisible);

    static When when(Settings &settings);

private:
    Notifier &notifier_;
    Settings &settings_;
    QString lastKey_;
    bool any_ = false;
};
