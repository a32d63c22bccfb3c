// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QByteArray>
#include <QImage>
#include <QString>
#include <optional>

// A song's cover: the picture in its tags, or else a picture beside it.

// A picture as the tag reader found it in the song's tags.
struct EmbeddedPicture {
    QByteArray bytes;
    QString mimeType; // a hint only: the bytes decide
};

struct CoverArt {
    // The picture's own bytes, kept once under the cache folder and named by
    // their hash (for the desktop's media controls, as a file:// URL). Empty
    // when the cache could not be written; the image is good all the same.
    QString path;
    // At most kCoverImageSide pixels on its longer side, for notifications.
    QImage image;
};

inline constexpr int kCoverImageSide = 256;
// Larger files and pictures are refused: no real cover comes near them, and
// decoding one would cost hundreds of megabytes.
inline constexpr qint64 kMaxCoverFileBytes = 16 * 1024 * 1024;
inline constexpr int kMaxCoverPixelSide = 8000;

// $XDG_CACHE_HOME/liravo/covers, or ~/.cache/liravo/covers.
QString coverCacheDir();

// The embedded picture when it decodes; otherwise cover, folder or front
// (.jpg, .jpeg or .png, in any letter case, in that order) in the song's
// folder. songPath may be empty (an online song). Reads files and decodes
// pictures: call it from a worker thread; it is safe to call from several at
// once. Nothing when no usable picture is found.
std::optional<CoverArt> findCoverArt(const QString &songPath, const EmbeddedPicture &embedded = {},
                                     const QString &cacheDir = coverCacheDir());
