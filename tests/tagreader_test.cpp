// SPDX-License-Identifier: GPL-3.0-or-later
#include "collection/tagreader.h"
#include "support/mp3gen.h"
#include "support/testfiles.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <taglib/attachedpictureframe.h>
#include <taglib/flacfile.h>
#include <taglib/flacpicture.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/opusfile.h>
#include <taglib/synchronizedlyricsframe.h>
#include <taglib/unsynchronizedlyricsframe.h>
#include <taglib/vorbisfile.h>
#include <taglib/xiphcomment.h>

#include <functional>

namespace {

QByteArray gbk(const QString &s)
{
    QStringEncoder enc("GB18030");
    return enc.encode(s);
}

TagLib::String tl(const QString &s)
{
    return TagLib::String(s.toStdWString());
}

TagLib::ByteVector bytes(const QByteArray &b)
{
    return TagLib::ByteVector(b.constData(), uint(b.size()));
}

// The text of an ID3v2 field marked ISO-8859-1 that holds these bytes as they are.
TagLib::String rawLatin1(const QByteArray &b)
{
    return TagLib::String(bytes(b), TagLib::String::Latin1);
}

const QByteArray kPng = QByteArray("\x89PNG\r\n\x1a\n", 8) + "front";
const QByteArray kJpeg = QByteArray("\xFF\xD8\xFF\xE0", 4) + "back";

TEST(TagReader, RepairsGbkInLatin1Id3Fields)
{
    const QString title = QStringLiteral("朱镕基"), artist = QStringLiteral("葉倩文");
    struct Case {
        const char *name;
        Mp3Recipe recipe;
    };
    const Case cases[] = {
        {"ID3v2 frames marked Latin-1", {.latin1Title = gbk(title), .latin1Artist = gbk(artist)}},
        {"ID3v1 only", {.v1Title = gbk(title), .v1Artist = gbk(artist)}},
        {"proper UTF-16 stays", {.title = title, .artist = artist}},
    };
    QTemporaryDir dir;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.filePath(QString::fromUtf8(c.name) + QStringLiteral(".mp3"));
        ASSERT_TRUE(writeMp3(path, c.recipe));
        const FileTags tags = readFileTags(path, TagPart::Names);
        EXPECT_TRUE(tags.readable);
        EXPECT_EQ(tags.title, title);
        EXPECT_EQ(tags.artist, artist);
    }
    // Genuine Latin-1 is left alone.
    const QString path = dir.filePath(QStringLiteral("latin1.mp3"));
    ASSERT_TRUE(writeMp3(path, {.latin1Title = QByteArray("Caf\xE9"), .latin1Artist = QByteArray("Mot\xF6rhead")}));
    EXPECT_EQ(readFileTags(path).title, QStringLiteral("Café"));
    EXPECT_EQ(readFileTags(path).artist, QStringLiteral("Motörhead"));
}

// A copy of a small real file, tagged by `tag` through TagLib.
struct EmbedCase {
    const char *name;
    QString file; // an MP3 to make, or a file in tests/data/audio
    std::function<void(const QByteArray &path)> tag;
    QString lyrics;
    QByteArray picture;
    QString mime;
};

TEST(TagReader, FindsEmbeddedLyricsAndCoverInEachFormat)
{
    const QString words = QStringLiteral("[00:01.00]第一行\n[00:02.00]第二行");
    const EmbedCase cases[] = {
        {"MP3 USLT, front cover after another picture", "x.mp3",
         [&](const QByteArray &p) {
             TagLib::MPEG::File f(p.constData());
             auto *uslt = new TagLib::ID3v2::UnsynchronizedLyricsFrame(TagLib::String::UTF8);
             uslt->setText(tl(words));
             f.ID3v2Tag(true)->addFrame(uslt);
             for (auto [data, mime, type] : {std::tuple{kJpeg, "image/jpeg", TagLib::ID3v2::AttachedPictureFrame::BackCover},
                                             std::tuple{kPng, "image/png", TagLib::ID3v2::AttachedPictureFrame::FrontCover}}) {
                 auto *apic = new TagLib::ID3v2::AttachedPictureFrame;
                 apic->setPicture(bytes(data));
                 apic->setMimeType(mime);
                 apic->setType(type);
                 f.ID3v2Tag()->addFrame(apic);
             }
             f.save(TagLib::MPEG::File::ID3v2);
         },
         words, kPng, "image/png"},
        {"MP3 USLT in GBK marked Latin-1", "x.mp3",
         [&](const QByteArray &p) {
             TagLib::MPEG::File f(p.constData());
             auto *uslt = new TagLib::ID3v2::UnsynchronizedLyricsFrame(TagLib::String::Latin1);
             uslt->setText(rawLatin1(gbk(words)));
             f.ID3v2Tag(true)->addFrame(uslt);
             f.save(TagLib::MPEG::File::ID3v2);
         },
         words, {}, {}},
        {"MP3 SYLT becomes LRC lines, only picture not a front cover", "x.mp3",
         [&](const QByteArray &p) {
             TagLib::MPEG::File f(p.constData());
             auto *sylt = new TagLib::ID3v2::SynchronizedLyricsFrame(TagLib::String::UTF16);
             sylt->setTimestampFormat(TagLib::ID3v2::SynchronizedLyricsFrame::AbsoluteMilliseconds);
             TagLib::ID3v2::SynchronizedLyricsFrame::SynchedTextList texts;
             texts.append({1000, tl(QStringLiteral("第一行"))});
             texts.append({62500, tl(QStringLiteral("\n第二行"))});
             sylt->setSynchedText(texts);
             f.ID3v2Tag(true)->addFrame(sylt);
             auto *apic = new TagLib::ID3v2::AttachedPictureFrame;
             apic->setPicture(bytes(kJpeg));
             apic->setType(TagLib::ID3v2::AttachedPictureFrame::Artist);
             f.ID3v2Tag()->addFrame(apic);
             f.save(TagLib::MPEG::File::ID3v2);
         },
         QStringLiteral("[00:01.00]第一行\n[01:02.50]第二行\n"), kJpeg, "image/jpeg"},
        {"FLAC LYRICS and PICTURE", "tiny.flac",
         [&](const QByteArray &p) {
             TagLib::FLAC::File f(p.constData());
             f.xiphComment(true)->addField("LYRICS", tl(words));
             auto *pic = new TagLib::FLAC::Picture;
             pic->setData(bytes(kPng));
             pic->setMimeType("image/png");
             pic->setType(TagLib::FLAC::Picture::FrontCover);
             f.addPicture(pic);
             f.save();
         },
         words, kPng, "image/png"},
        {"Ogg UNSYNCEDLYRICS and METADATA_BLOCK_PICTURE", "tiny.ogg",
         [&](const QByteArray &p) {
             TagLib::Ogg::Vorbis::File f(p.constData());
             f.tag()->addField("UNSYNCEDLYRICS", tl(words));
             auto *pic = new TagLib::FLAC::Picture;
             pic->setData(bytes(kJpeg));
             pic->setMimeType("image/jpeg");
             pic->setType(TagLib::FLAC::Picture::FrontCover);
             f.tag()->addPicture(pic);
             f.save();
         },
         words, kJpeg, "image/jpeg"},
        {"Opus LYRICS", "tiny.opus",
         [&](const QByteArray &p) {
             TagLib::Ogg::Opus::File f(p.constData());
             f.tag()->addField("LYRICS", tl(words));
             f.save();
         },
         words, {}, {}},
    };
    for (const EmbedCase &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString path = dir.filePath(c.file);
        if (c.file.endsWith(QLatin1String(".mp3")))
            ASSERT_TRUE(writeMp3(path, {.seconds = 0.5, .title = QStringLiteral("标题")}));
        else
            ASSERT_TRUE(QFile::copy(QStringLiteral(LIRAVO_SOURCE_DIR "/tests/data/audio/") + c.file, path));
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        c.tag(QFile::encodeName(path));

        const FileTags all = readFileTags(path, TagPart::Names | TagPart::Lyrics | TagPart::Picture);
        EXPECT_TRUE(all.readable);
        EXPECT_EQ(all.lyrics, c.lyrics);
        EXPECT_EQ(all.picture, c.picture);
        EXPECT_EQ(all.pictureMime, c.mime);
        // Parts not asked for are not read.
        const FileTags names = readFileTags(path, TagPart::Names);
        EXPECT_TRUE(names.lyrics.isEmpty());
        EXPECT_TRUE(names.picture.isEmpty());
        EXPECT_EQ(names.durationMs, 0);
    }
}

TEST(TagReader, DurationOnlyWhenAskedFor)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("d.mp3"));
    ASSERT_TRUE(writeMp3(path, {.seconds = 3.0}));
    EXPECT_EQ(readFileTags(path, TagPart::Names).durationMs, 0);
    EXPECT_NEAR(double(readFileTags(path, TagPart::Duration).durationMs), 3000.0, 60.0);
}

TEST(TagReader, DamagedOrMissingFilesReadAsNothing)
{
    QTemporaryDir dir;
    QByteArray flac;
    {
        QFile f(QStringLiteral(LIRAVO_SOURCE_DIR "/tests/data/audio/tiny.flac"));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        flac = f.readAll();
    }
    struct Case {
        const char *name;
        QByteArray content;
    };
    const Case cases[] = {
        {"empty.mp3", {}},
        {"noise.mp3", QByteArray(4096, '\xA5')},
        {"id3-lies.mp3", QByteArray("ID3\x04\x00\x00\x7F\x7F\x7F\x7F", 10) + "USLT" + QByteArray(200, '\xFF')},
        {"cut.flac", flac.left(flac.size() / 2)},
        {"noise.ogg", "OggS" + QByteArray(300, '\x01')},
        {"noise.m4a", QByteArray("\0\0\0\x20" "ftypM4A ", 12) + QByteArray(100, '\xFF')},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = writeTestFile(dir.filePath(c.name), c.content);
        const FileTags t = readFileTags(path, TagPart::Names | TagPart::Lyrics | TagPart::Picture | TagPart::Duration);
        EXPECT_TRUE(t.lyrics.isEmpty());
        EXPECT_TRUE(t.picture.isEmpty());
    }
    EXPECT_FALSE(readFileTags(dir.filePath(QStringLiteral("missing.mp3"))).readable);
    EXPECT_FALSE(readFileTags(dir.path()).readable);
}

} // namespace
