// SPDX-License-Identifier: GPL-3.0-or-later
// Reading a file's tags through the tag reader: the names alone (what a
// folder scan asks for), names with lyrics, and the cover too, on an MP3 with
// an ID3v2 tag holding a 1 MiB picture and 5,000 lines of lyrics, and on the
// same MP3 with its names only.
#include "collection/tagreader.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>

#include <taglib/attachedpictureframe.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/unsynchronizedlyricsframe.h>

namespace {

// Ten seconds of silent 128 kbit/s MPEG-1 Layer III frames.
bool writeSilentMp3(const QString &path)
{
    QByteArray frame(417, '\0');
    frame[0] = char(0xFF), frame[1] = char(0xFB), frame[2] = char(0x90), frame[3] = char(0x64);
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(frame.repeated(383)) == 417 * 383;
}

struct Files {
    QTemporaryDir dir;
    QString plain = dir.filePath(QStringLiteral("plain.mp3"));
    QString heavy = dir.filePath(QStringLiteral("heavy.mp3"));
    Files()
    {
        for (const QString &p : {plain, heavy}) {
            writeSilentMp3(p);
            TagLib::MPEG::File f(QFile::encodeName(p).constData());
            TagLib::ID3v2::Tag *tag = f.ID3v2Tag(true);
            tag->setTitle(TagLib::String("童话", TagLib::String::UTF8));
            tag->setArtist(TagLib::String("光良", TagLib::String::UTF8));
            if (p == heavy) {
                auto *pic = new TagLib::ID3v2::AttachedPictureFrame;
                pic->setPicture(TagLib::ByteVector(1 << 20, 'p'));
                pic->setMimeType("image/jpeg");
                tag->addFrame(pic);
                std::string lyrics;
                for (int i = 0; i < 5000; ++i)
                    lyrics += "[00:01.00]一行歌词 a line of lyrics\n";
                auto *uslt = new TagLib::ID3v2::UnsynchronizedLyricsFrame(TagLib::String::UTF8);
                uslt->setText(TagLib::String(lyrics, TagLib::String::UTF8));
                tag->addFrame(uslt);
            }
            f.save(TagLib::MPEG::File::ID3v2);
        }
    }
};

Files &files()
{
    static Files f;
    return f;
}

void BM_ReadTags(benchmark::State &state, bool heavy, TagParts parts)
{
    const QString path = heavy ? files().heavy : files().plain;
    for (auto _ : state) {
        FileTags t = readFileTags(path, parts);
        benchmark::DoNotOptimize(t.title);
        if (!t.readable)
            state.SkipWithError("not readable");
    }
}
BENCHMARK_CAPTURE(BM_ReadTags, names_plain, false, TagPart::Names)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_ReadTags, names_heavy, true, TagPart::Names)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_ReadTags, names_duration_plain, false, TagPart::Names | TagPart::Duration)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_ReadTags, lyrics_heavy, true, TagPart::Lyrics)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_ReadTags, picture_heavy, true, TagPart::Picture)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_ReadTags, everything_heavy, true,
                  TagPart::Names | TagPart::Lyrics | TagPart::Picture | TagPart::Duration)
    ->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
