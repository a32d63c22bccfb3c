// SPDX-License-Identifier: GPL-3.0-or-later
// The check run on local files before they replace the collection: real
// songs of each container pass, and every kind of file that cannot play is
// told apart with a message naming it.
#include "collection/playablecheck.h"

#include "support/mp3gen.h"
#include "support/testfiles.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

QByteArray bytesOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST(PlayableCheck, RealSongsPassAndEveryOtherFileSaysWhy)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString d = dir.path();
    writeTestFile(d + "/silence.wav", silentWav(1));
    ASSERT_TRUE(runEncoder(d, "flac", {"-s", "-f", "-o", "song.flac", "silence.wav"}));
    ASSERT_TRUE(runEncoder(d, "oggenc", {"-Q", "-o", "song.ogg", "silence.wav"}));
    ASSERT_TRUE(writeMp3(d + "/song.mp3", {.seconds = 1.0, .title = "歌"}));
    const QByteArray mp3 = bytesOf(d + "/song.mp3");
    const QByteArray flac = bytesOf(d + "/song.flac");
    const QByteArray ogg = bytesOf(d + "/song.ogg");
    ASSERT_GT(flac.size(), 100);
    ASSERT_GT(ogg.size(), 100);
    QDir().mkpath(d + "/专辑.mp3");

    using R = PlayableCheck::Reason;
    const struct {
        QString name;
        QByteArray bytes; // written unless the case is about what is there
        bool write;
        R reason;
    } cases[] = {
        {"song.mp3", {}, false, R::Ok},
        {"song.flac", {}, false, R::Ok},
        {"song.ogg", {}, false, R::Ok},
        {"silence.wav", {}, false, R::Ok},
        {"大写.MP3", mp3, true, R::Ok},
        {"没有.mp3", {}, false, R::Missing},
        {"专辑.mp3", {}, false, R::Folder},
        {"歌词.txt", "一行歌词\n", true, R::NotAudioType},
        {"空.mp3", "", true, R::Undecodable},
        {"文本.mp3", QByteArray("这是一段文字，不是歌曲。\n").repeated(50), true, R::Undecodable},
        {"截断.mp3", mp3.left(60), true, R::Undecodable},
        {"截断.flac", flac.left(30), true, R::Undecodable},
        {"截断.ogg", ogg.left(40), true, R::Undecodable},
    };
    for (const auto &c : cases) {
        const QString path = d + "/" + c.name;
        if (c.write)
            writeTestFile(path, c.bytes);
        const PlayableCheck r = checkPlayable(path);
        EXPECT_EQ(r.reason, c.reason) << c.name.toStdString();
        EXPECT_EQ(r.ok(), c.reason == R::Ok) << c.name.toStdString();
        if (c.reason == R::Ok)
            EXPECT_TRUE(r.message.isEmpty()) << r.message.toStdString();
        else
            EXPECT_TRUE(r.message.contains(c.name)) << r.message.toStdString();
    }
}

} // namespace
