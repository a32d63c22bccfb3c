// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QByteArray>
#include <QList>
#include <QLoggingCategory>
#include <QString>

Q_DECLARE_LOGGING_CATEGORY(lcLyrics)

// One line of lyrics as shown: its text, the translation printed under it
// (a second text with the same time in the file), and when it starts, with
// the file's [offset:] already applied. Static text has no times (-1).
struct LyricsLine {
    qint64 timeMs = -1;
    QString text;        // empty: a pause between verses
    QString translation; // empty when there is none
};

// The lyrics of one song, parsed once.
struct LyricsDocument {
    QList<LyricsLine> lines; // by time when synced, stable for equal times
    bool synced = false;     // false: static text, nothing to follow
    // Id tags; shown nowhere but kept for whoever wants them.
    QString title, artist, album, by;
    qint64 lengthMs = 0;
    qint64 offsetMs = 0;     // as written; positive shows lines earlier
    QString source;          // the file's path, or "tag" for embedded lyrics
    // Why there are no lyrics although a file was found (too large, too many
    // lines, not text), in the words the window shows; empty otherwise.
    QString problem;

    bool isEmpty() const { return lines.isEmpty(); }
    // The line that is current at `positionMs`: the last one starting at or
    // before it; -1 before the first line and for static text.
    int lineAt(qint64 positionMs) const;
    // The whole text, lines and their translations, one per line: what the
    // desktop's media controls publish.
    QString plainText() const;
};

inline constexpr qsizetype kMaxLyricsBytes = 1024 * 1024;
inline constexpr int kMaxLyricsLines = 5000;

// Text as a lyrics file's bytes: a byte-order mark decides UTF-8 or UTF-16
// (LE/BE); without one, strict UTF-8, then GB18030 (a superset of GBK and
// GB2312), then Big5. False when no encoding reads the bytes whole.
bool decodeLyricsBytes(const QByteArray &bytes, QString *text);

// Parses LRC text ([mm:ss.xx] time tags, id tags, [offset:], translations,
// enhanced word times), or keeps text without time tags as static lines.
// Over kMaxLyricsBytes or kMaxLyricsLines lines it is refused: the document
// is empty and says why in `problem`.
LyricsDocument parseLyrics(const QString &text);
// The same from a file's bytes (size checked before decoding).
LyricsDocument parseLyricsBytes(const QByteArray &bytes);
