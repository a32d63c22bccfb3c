// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/vorbiscomments.h"

#include "engine/tagtext.h"

#include <QFile>
#include <QIODevice>

namespace {

// Real files keep a handful of metadata blocks; padding and pictures are
// skipped by seeking, not read.
constexpr int kMaxFlacBlocks = 64;
// The comment packet follows the identification page; other streams' pages
// in between are skipped by seeking.
constexpr int kMaxOggPages = 64;
constexpr int kFlacVorbisComment = 4;
constexpr int kFlacInvalid = 127;

quint32 le32(const char *p)
{
    const auto *u = reinterpret_cast<const uchar *>(p);
    return quint32(u[0]) | quint32(u[1]) << 8 | quint32(u[2]) << 16 | quint32(u[3]) << 24;
}

bool readExactly(QIODevice &in, qint64 n, QByteArray *out)
{
    *out = in.read(n);
    return out->size() == n;
}

// Past the end is a damaged file, not a place to wait at.
bool skip(QIODevice &in, qint64 n)
{
    return in.pos() + n <= in.size() && in.seek(in.pos() + n);
}

// Taggers of the MP3 world sometimes put an ID3v2 tag in front of "fLaC".
bool skipId3v2(QIODevice &in)
{
    const QByteArray h = in.peek(10);
    if (h.size() < 10 || !h.startsWith("ID3"))
        return true;
    quint32 size = 0;
    for (int i = 6; i < 10; ++i) {
        const auto b = uchar(h[i]);
        if (b & 0x80)
            return false;
        size = size << 7 | b;
    }
    const bool footer = uchar(h[5]) & 0x10;
    return skip(in, 10 + qint64(size) + (footer ? 10 : 0));
}

// The VORBIS_COMMENT block's body, cut at the cap.
bool flacComments(QIODevice &in, QByteArray *out)
{
    QByteArray h;
    if (!skipId3v2(in) || !readExactly(in, 4, &h) || h != "fLaC")
        return false;
    for (int i = 0; i < kMaxFlacBlocks; ++i) {
        if (!readExactly(in, 4, &h))
            return false;
        const auto *u = reinterpret_cast<const uchar *>(h.constData());
        const int type = u[0] & 0x7F;
        const qint64 length = qint64(u[1]) << 16 | u[2] << 8 | u[3];
        if (type == kFlacVorbisComment) {
            *out = in.read(qMin(length, qint64(VorbisComments::kMaxCommentBytes)));
            return true;
        }
        if (type == kFlacInvalid || (u[0] & 0x80) || !skip(in, length))
            return false;
    }
    return false;
}

// The second packet of the first logical stream, which is the comment header
// of Vorbis and Opus, without its magic; cut at the cap, or where the file
// ends.
bool oggComments(QIODevice &in, QByteArray *out)
{
    QByteArray packet;
    quint32 stream = 0;
    int index = 0; // packet of the stream being assembled
    bool done = false;
    for (int page = 0; page < kMaxOggPages && !done && packet.size() < VorbisComments::kMaxCommentBytes; ++page) {
        QByteArray h, lacing, body;
        if (!readExactly(in, 27, &h) || !h.startsWith("OggS") || h[4] != 0)
            break;
        if (!readExactly(in, uchar(h[26]), &lacing))
            break;
        qint64 bodySize = 0;
        for (char l : lacing)
            bodySize += uchar(l);
        const quint32 serial = le32(h.constData() + 14);
        if (page == 0)
            stream = serial;
        if (serial != stream || index > 1) {
            if (!skip(in, bodySize))
                break;
            continue;
        }
        if (!readExactly(in, bodySize, &body))
            break;
        qsizetype at = 0;
        for (char l : lacing) {
            const int n = uchar(l);
            if (index == 1)
                packet.append(body.constData() + at, n);
            at += n;
            if (n < 255 && index++ == 1) {
                done = true;
                break;
            }
        }
    }
    for (const QByteArray &magic : {QByteArray("\x03vorbis"), QByteArray("OpusTags")}) {
        if (packet.startsWith(magic)) {
            *out = packet.mid(magic.size(), VorbisComments::kMaxCommentBytes);
            return true;
        }
    }
    return false;
}

} // namespace

VorbisComments VorbisComments::fromFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return fromDevice(f);
}

VorbisComments VorbisComments::fromDevice(QIODevice &in)
{
    VorbisComments tags;
    const qint64 start = in.pos();
    QByteArray comments;
    if (in.peek(4) == "OggS" ? oggComments(in, &comments)
                             : flacComments(in, &comments))
        tags.parse(comments);
    in.seek(start);
    return tags;
}

void VorbisComments::parse(const QByteArray &d)
{
    qsizetype at = 0;
    // A length that runs past the end fails the read.
    auto field = [&](QByteArrayView *v) {
        if (d.size() - at < 4)
            return false;
        const quint32 n = le32(d.constData() + at);
        at += 4;
        if (n > quint64(d.size() - at))
            return false;
        *v = QByteArrayView(d).sliced(at, n);
        at += n;
        return true;
    };
    QByteArrayView vendor;
    if (!field(&vendor) || d.size() - at < 4)
        return;
    const quint32 count = le32(d.constData() + at);
    at += 4;
    QByteArrayView entry;
    // Each entry takes at least its four length bytes, so a lying count
    // ends with the data.
    for (quint32 i = 0; i < count && field(&entry); ++i) {
        const qsizetype eq = entry.indexOf('=');
        if (eq <= 0)
            continue;
        const QByteArray key = entry.first(eq).toByteArray().toUpper();
        QString *target = key == "TITLE" ? &title : key == "ARTIST" ? &artist : key == "ALBUM" ? &album : nullptr;
        if (target && target->isEmpty())
            *target = repairTagText(entry.sliced(eq + 1).toByteArray()).trimmed();
    }
}
