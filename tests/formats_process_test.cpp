// SPDX-License-Identifier: GPL-3.0-or-later
// The real program on an X server (Xvfb) with the real engine and no sound
// device: FLAC, Ogg and Opus files given on the command line play and show
// their title tags, and a playlist handed to a running copy replaces its
// collection. The files are made with the flac, vorbis-tools and opus-tools
// encoders from the package list.
#include "support/mp3gen.h"
#include "support/playerhome.h"
#include "support/processoutput.h"
#include "support/testfiles.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

namespace {

class OnXServer : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(home.isValid());
        ASSERT_FALSE(QStandardPaths::findExecutable("Xvfb").isEmpty()) << "Xvfb is missing";
        // Xvfb picks a free display itself and writes its number to stdout.
        xvfb.start("Xvfb", {"-displayfd", "1", "-nolisten", "tcp", "-screen", "0", "1024x768x24"});
        ASSERT_TRUE(xvfb.waitForStarted(10000));
        ASSERT_TRUE(QTest::qWaitFor([&] { return xvfb.canReadLine(); }, 10000));
        const QString display = ":" + QString::fromLatin1(xvfb.readLine()).trimmed();
        home.env.insert("DISPLAY", display);
        home.env.insert("QT_QPA_PLATFORM", "xcb");
        home.env.insert("QT_LOGGING_RULES", "liravo.playlist.info=true;liravo.window.debug=true");

        QFile wav(home.filePath("silence.wav"));
        ASSERT_TRUE(wav.open(QIODevice::WriteOnly));
        wav.write(silentWav(8));
    }

    void TearDown() override { stopProcesses({&running, &second, &xvfb}); }

    // Runs an encoder in the home folder; true when it succeeded.
    bool run(const QString &program, const QStringList &args)
    {
        return runEncoder(home.path(), program, args);
    }

    void start(QProcess &p, const QStringList &args) { ASSERT_TRUE(home.start(p, args)); }

    bool waitForLine(const QString &line, int ms = 15000) { return output.waitForLine(line, ms); }

    PlayerHome home{QStringLiteral(LIRAVO_BINARY)};
    QProcess xvfb, running, second;
    ProcessOutput output{running};
};

} // namespace

TEST_F(OnXServer, FlacOggAndOpusPlayWithTheirTitles)
{
    struct Case {
        const char *file;
        QString program;
        QStringList args;
        QString title;
    };
    const Case cases[] = {
        {"song.flac", "flac", {"-s", "-f", "-T", "TITLE=无损之歌", "-T", "ARTIST=歌手", "-o", "song.flac", "silence.wav"}, "无损之歌"},
        {"song.ogg", "oggenc", {"-Q", "-t", "Vorbis 之歌", "-a", "歌手", "-o", "song.ogg", "silence.wav"}, "Vorbis 之歌"},
        {"song.opus", "opusenc", {"--quiet", "--title", "Opus之歌", "--artist", "歌手", "silence.wav", "song.opus"}, "Opus之歌"},
        {"gbk.flac", "flac", {"-s", "-f", "-T", "TITLE=abcd", "-o", "gbk.flac", "silence.wav"}, "后来"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.file);
        ASSERT_TRUE(run(c.program, c.args));
        if (QString(c.file) == "gbk.flac") {
            // Vorbis comments are meant to be UTF-8, but old Chinese taggers
            // wrote GBK there; the encoders refuse to, so the four bytes of the
            // title are swapped for GBK "后来" in place (same length).
            QFile f(home.filePath(c.file));
            ASSERT_TRUE(f.open(QIODevice::ReadWrite));
            QByteArray bytes = f.readAll();
            ASSERT_EQ(bytes.count("TITLE=abcd"), 1);
            const QByteArray gbk = QByteArray("TITLE=").append(QByteArray::fromHex("baf3c0b4"));
            bytes.replace(QByteArray("TITLE=abcd"), gbk);
            f.seek(0);
            f.write(bytes);
        }
        output.clear();
        start(running, {home.filePath(c.file)});
        // A first start on a cold, busy machine (a fresh clone, the whole
        // suite at once) has been seen to take longer than the usual limit.
        EXPECT_TRUE(waitForLine("liravo.window: caption " + c.title + "[播放中...][Liravo]", 40000))
            << output.seen() << (running.state() == QProcess::NotRunning
                                     ? " (ended, exit code " + std::to_string(running.exitCode()) + ")"
                                     : " (still running)");
        running.kill();
        running.waitForFinished(5000);
    }
}

TEST_F(OnXServer, PlaylistHandedToARunningCopyReplacesItsCollection)
{
    start(running, {});
    ASSERT_TRUE(waitForLine("liravo.window: caption [][Liravo]")) << output.seen();

    QDir(home.path()).mkpath("music");
    for (const char *name : {"music/1.mp3", "music/2.mp3", "music/3.mp3"})
        ASSERT_TRUE(writeMp3(home.filePath(name), {.seconds = 1, .title = "tag title"}));
    QFile list(home.filePath("music/三首.m3u8"));
    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    list.write("#EXTM3U\n#EXTINF:1,歌手甲 - 第一首\n1.mp3\n#EXTINF:1,歌手乙 - 第二首\n"
               "2.mp3\n#EXTINF:1,第三首\n3.mp3\n");
    list.close();

    start(second, {list.fileName()});
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(waitForLine("liravo.playlist: loaded " + list.fileName()
                            + " entries: 第一首 | 第二首 | 第三首"))
        << output.seen();
    // The window now names the first of them.
    EXPECT_TRUE(output.waitFor([](const QString &text) { return text.contains("\nliravo.window: caption 第一首["); },
                               5000))
        << output.seen();
    EXPECT_EQ(running.state(), QProcess::Running);
}
