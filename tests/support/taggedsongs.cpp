// SPDX-License-Identifier: GPL-3.0-or-later
#include "taggedsongs.h"

#include "mp3gen.h"
#include "tonefiles.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QStringEncoder>

namespace {
QByteArray gbk(const QString &s)
{
    QStringEncoder enc("GB18030");
    return enc.encode(s);
}
} // namespace

QList<TaggedSong> writeTaggedSongs(const QString &folder)
{
    const struct {
        TaggedSong song;
        Mp3Recipe mp3;
        QStringList flacComments; // a FLAC file instead when not empty
    } table[] = {
        {{"title and artist", "a1 曲目01.mp3", "但愿人长久", "王菲"},
         {.seconds = 0.5, .title = "但愿人长久", .artist = "王菲"}, {}},
        {{"a title alone", "a2 曲目02.mp3", "月亮代表我的心", ""}, {.seconds = 0.5, .title = "月亮代表我的心"}, {}},
        {{"no tags: the file name without its extension", "a3 甜蜜蜜.mp3", "a3 甜蜜蜜", ""}, {.seconds = 0.5}, {}},
        {{"GBK in ID3v1", "a4 曲目04.mp3", "童话", "光良"},
         {.seconds = 0.5, .v1Title = gbk("童话"), .v1Artist = gbk("光良")}, {}},
        {{"GBK in ID3v2 fields marked Latin-1", "a5 曲目05.mp3", "后来", "刘若英"},
         {.seconds = 0.5, .latin1Title = gbk("后来"), .latin1Artist = gbk("刘若英")}, {}},
        {{"Vorbis comments in FLAC", "a6 曲目06.flac", "夜曲", "周杰伦"}, {}, {"TITLE=夜曲", "ARTIST=周杰伦"}},
        {{"an artist alone", "a7 曲目07.mp3", "a7 曲目07", "邓丽君"}, {.seconds = 0.5, .artist = "邓丽君"}, {}},
    };
    QList<TaggedSong> out;
    QDir().mkpath(folder);
    for (const auto &row : table) {
        const QString path = folder + QLatin1Char('/') + row.song.fileName;
        const bool written = row.flacComments.isEmpty()
                                 ? writeMp3(path, row.mp3)
                                 : writeToneFlac(path, {.seconds = 0.3}, row.flacComments);
        EXPECT_TRUE(written) << path.toStdString();
        out << row.song;
    }
    return out;
}
