// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

// Whether a local file can be played, checked before a collection is
// replaced by files the user chose or dropped: cheap (the file's headers
// only, no decoding of the audio), and with a reason the user can act on.
struct PlayableCheck {
    enum class Reason {
        Ok,
        Missing,       // nothing at the path
        Folder,        // a folder, not a file
        NotAudioType,  // a type the player does not play (by its extension)
        Undecodable,   // the right extension, but no audio in it (empty, cut off, renamed)
    };
    Reason reason = Reason::Ok;
    // In Chinese, naming the file; empty when the file is playable.
    QString message;

    bool ok() const { return reason == Reason::Ok; }
};

PlayableCheck checkPlayable(const QString &path);
