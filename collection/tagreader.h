// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QByteArray>
#include <QFlags>
#include <QString>

// What readFileTags() looks at. Names are cheap; the others cost a walk over
// frames or blocks (lyrics, pictures) or over the audio stream's headers
// (duration), so a caller asks only for what it shows.
enum class TagPart {
    Names = 0x1,    // title, artist, album
    Lyrics = 0x2,   // embedded lyrics text
    Picture = 0x4,  // embedded cover
    Duration = 0x8, // length of the audio
};
Q_DECLARE_FLAGS(TagParts, TagPart)
Q_DECLARE_OPERATORS_FOR_FLAGS(TagParts)

struct FileTags {
    QString title, artist, album;
    // Embedded lyrics: ID3v2 USLT (often LRC text), else ID3v2 SYLT turned
    // into LRC lines; Vorbis comments LYRICS or UNSYNCEDLYRICS (FLAC, Ogg,
    // Opus); MP4 ©lyr; WMA WM/Lyrics.
    QString lyrics;
    // Embedded cover: ID3v2 APIC, FLAC PICTURE, Vorbis METADATA_BLOCK_PICTURE,
    // MP4 covr, WMA WM/Picture; the first front cover, else the first picture.
    QByteArray picture;
    QString pictureMime;
    qint64 durationMs = 0; // 0 when not asked for or not known
    bool readable = false; // the file opened and its format was recognised
};

// Reads the tags of a file that is not playing (the engine reports those of
// the one that is). Safe on damaged files: what cannot be read stays empty.
// ID3 text stored as GBK bytes in Latin-1 fields comes back as Chinese, by
// the same rule the engine uses (platform/tagtext.h). Thread-safe.
FileTags readFileTags(const QString &path, TagParts parts = TagPart::Names);

// Pictures larger than this are left out: no real cover comes near it, and
// a damaged size field should not cost memory.
inline constexpr qsizetype kMaxEmbeddedPictureBytes = 16 * 1024 * 1024;
