// SPDX-License-Identifier: GPL-3.0-or-later
// The real program plays a song with a GBK .lrc beside it: the lyrics are
// found once, and each line is logged as it becomes the current one, at its
// time after the file's offset (a positive offset shows lines earlier).
#include "support/playerhome.h"
#include "support/processoutput.h"
#include "support/testfiles.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QStringEncoder>

TEST(LyricsProcess, AGbkLrcBesideTheSongFollowsPlayback)
{
    PlayerHome home{QStringLiteral(LIRAVO_BINARY)};
    ASSERT_TRUE(home.isValid());
    home.env.insert("QT_QPA_PLATFORM", "offscreen");
    home.env.insert("LIRAVO_AO", "null");
    home.env.insert("QT_LOGGING_RULES", "liravo.lyrics.debug=true");

    QFile wav(home.filePath("歌.wav"));
    ASSERT_TRUE(wav.open(QIODevice::WriteOnly));
    wav.write(silentWav(4));
    wav.close();
    // GBK, CRLF, lines out of order, a translation under the first line.
    QStringEncoder gbk("GB18030");
    QFile lrc(home.filePath("歌.LRC"));
    ASSERT_TRUE(lrc.open(QIODevice::WriteOnly));
    lrc.write(gbk(QStringLiteral("[ti:歌]\r\n[offset:+200]\r\n[00:01.70]第二行\r\n"
                                 "[00:00.70]第一行\r\n[00:00.70]the first line\r\n")));
    lrc.close();

    QProcess running;
    ProcessOutput output{running};
    ASSERT_TRUE(home.start(running, {home.filePath("歌.wav")}));
    EXPECT_TRUE(output.waitForLine(QStringLiteral("liravo.lyrics: source ") + home.filePath("歌.LRC"), 20000))
        << output.seen();
    EXPECT_TRUE(output.waitForLine(QStringLiteral("liravo.lyrics: line 500 第一行"), 20000)) << output.seen();
    EXPECT_TRUE(output.waitForLine(QStringLiteral("liravo.lyrics: line 1500 第二行"), 20000)) << output.seen();
    stopProcesses({&running});
}
