// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "base/songcollection.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

class Settings;
class Dialogs;

// Playlists other players write: M3U (plain or extended, .m3u and .m3u8) and
// PLS. They become a song collection like a .yyu file does, so a user's lists
// from elsewhere open without retyping them.
class PlaylistFile {
public:
    enum class Kind { M3u, M3u8, Pls };

    struct Parsed {
        SongCollection collection; // entries in file order, at most 100
        int leftOut = 0;           // entries the file had beyond the 100th
        int longLines = 0;         // lines over kMaxLineBytes, skipped
        // Untitled local entries, more than kTagNamesOnTheSpot of them, whose
        // tags were not read: they carry their file names until the caller
        // has their tags read away from the window (readTagNamesLater).
        QStringList nameLater;
    };
    // No path or address is longer; a longer line is no entry but a broken
    // or hostile file, skipped before it is decoded.
    static constexpr qsizetype kMaxLineBytes = 32 * 1024;

    // Reads a playlist's bytes. Relative paths resolve against `folder`
    // (the playlist's own folder); web addresses become online entries with
    // that address. "#EXTINF:<seconds>,<singer> - <name>" and PLS titles name
    // the entry; a local entry without one is named by its file's title and
    // artist tags, else by its file name without the extension. The tags of
    // up to kTagNamesOnTheSpot such entries are read here; more are left to
    // the caller (Parsed::nameLater). Entries are kept whether or not their
    // files exist.
    static Parsed parse(const QByteArray &bytes, Kind kind, const QString &folder);

    // The bytes of an extended M3U in UTF-8 for a collection: a "#EXTINF"
    // line with the singer and name before each address.
    static QByteArray serialize(const SongCollection &c);

    // Replaces c by the playlist at path (album name = the file's base name)
    // and remembers it as the last collection, as loading a .yyu does. Entries
    // beyond 100 are left out with a message; an unreadable file is reported
    // and keeps c as it was. Returns whether c was replaced; `nameLater`
    // receives the entries whose tags are still to be read (Parsed::nameLater).
    static bool load(SongCollection &c, const QString &path, Settings &settings, Dialogs &dialogs,
                     QStringList *nameLater = nullptr);

    // Writes c to path as .m3u8 through a temporary file and a rename; a
    // failure is reported. Returns whether the file was written.
    static bool save(const SongCollection &c, const QString &path, Dialogs &dialogs);
};
