// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QByteArray>
#include <QString>

class QIODevice;

// The title, artist and album of a FLAC, Ogg Vorbis or Ogg Opus file, read
// from its Vorbis comments here rather than by GStreamer, which drops every
// comment that is not UTF-8. Chinese taggers of the GBK era wrote raw GBK
// there, so each value goes through the same repair as any other tag text.
// Reads are bounded whatever the length fields claim: block and page headers,
// and at most kMaxCommentBytes of the comments themselves.
class VorbisComments {
public:
    static constexpr qsizetype kMaxCommentBytes = 256 * 1024;

    // Empty fields for a file of another kind, an unreadable or a damaged one.
    static VorbisComments fromFile(const QString &path);
    static VorbisComments fromDevice(QIODevice &in);

    QString title;
    QString artist;
    QString album;

private:
    // The comment structure: vendor, count, then KEY=value entries. A cut or
    // lying entry ends it; what came before it stays.
    void parse(const QByteArray &comments);
};
