// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/vorbiscomments.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QtEndian>

namespace {

QByteArray le32(quint32 v)
{
    v = qToLittleEndian(v);
    return QByteArray(reinterpret_cast<const char *>(&v), 4);
}

// A comment structure; an entry's stated length may be made to lie.
QByteArray comments(const QList<QByteArray> &entries, int lie = 0)
{
    QByteArray out = le32(6) + "vendor" + le32(quint32(entries.size()));
    for (const QByteArray &e : entries)
        out += le32(quint32(e.size() + (&e == &entries.last() ? lie : 0))) + e;
    return out;
}

QByteArray flacBlock(int type, const QByteArray &body, bool last)
{
    const int n = int(body.size());
    return QByteArray(1, char(type | (last ? 0x80 : 0))) + char(n >> 16) + char(n >> 8) + char(n) + body;
}

// Ogg pages of one stream, a packet split over as many pages as it needs.
QByteArray oggPages(const QList<QByteArray> &packets)
{
    QByteArray out;
    quint32 sequence = 0;
    for (const QByteArray &packet : packets) {
        QByteArray lacing(packet.size() / 255, char(255));
        lacing += char(packet.size() % 255);
        for (qsizetype seg = 0, at = 0; seg < lacing.size(); seg += 255) {
            const QByteArray lace = lacing.mid(seg, 255);
            const qsizetype n = qMin(packet.size() - at, lace.size() * 255);
            const char flags = seg ? 1 : sequence ? 0 : 2; // continued, or first of the stream
            out += QByteArray("OggS", 4) + char(0) + flags + QByteArray(8, 0)
                + le32(0x1234) + le32(sequence) + le32(0) + char(lace.size()) + lace + packet.mid(at, n);
            ++sequence;
            at += n;
        }
    }
    return out;
}

const QByteArray kGbkHoulai = QByteArray::fromHex("baf3c0b4"); // 后来

TEST(VorbisComments, TitleArtistAndAlbumFromFlacAndOgg)
{
    const QByteArray streamInfo = flacBlock(0, QByteArray(34, 0), false);
    const QByteArray utf8 = comments({"title=无损之歌", "ARTIST=歌手", "ALBUM=专辑"});
    const QByteArray gbk = comments({"TITLE=" + kGbkHoulai, "ARTIST=" + QByteArray::fromHex("b8e8cad6")});
    struct Case {
        const char *name;
        QByteArray file;
        QString title, artist, album;
    };
    const Case cases[] = {
        {"utf-8", "fLaC" + streamInfo + flacBlock(1, QByteArray(100, 0), false) + flacBlock(4, utf8, true),
         "无损之歌", "歌手", "专辑"},
        {"gbk", "fLaC" + streamInfo + flacBlock(4, gbk, true), "后来", "歌手", ""},
        {"id3 in front", "ID3\x03" + QByteArray(2, 0) + QByteArray("\0\0\0\x02", 4) + "xx" + "fLaC"
             + flacBlock(4, utf8, true), "无损之歌", "歌手", "专辑"},
        {"lying entry", "fLaC" + flacBlock(4, comments({"ARTIST=a", "TITLE=b"}, 1000), true), "", "a", ""},
        {"cut block", "fLaC" + flacBlock(4, gbk, true).chopped(3), "后来", "", ""},
        {"no comments", "fLaC" + flacBlock(0, QByteArray(34, 0), true) + flacBlock(4, utf8, true), "", "", ""},
        {"not flac", "RIFF" + flacBlock(4, utf8, true), "", "", ""},
        {"opus", oggPages({"OpusHead" + QByteArray(11, 1), "OpusTags" + gbk}), "后来", "歌手", ""},
        {"vorbis over pages",
         oggPages({"\x01vorbis" + QByteArray(23, 1),
                   "\x03vorbis" + le32(70000) + QByteArray(70000, 'v') + le32(1) + le32(9) + "TITLE=t\xc3\xa9"}),
         "té", "", ""},
        {"ogg of another codec", oggPages({"\x7f" "FLAC", "\x04" + utf8}), "", "", ""},
    };
    for (Case c : cases) {
        SCOPED_TRACE(c.name);
        QBuffer file(&c.file);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const VorbisComments tags = VorbisComments::fromDevice(file);
        EXPECT_EQ(tags.title, c.title);
        EXPECT_EQ(tags.artist, c.artist);
        EXPECT_EQ(tags.album, c.album);
    }
}

} // namespace
