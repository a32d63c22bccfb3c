// SPDX-License-Identifier: GPL-3.0-or-later
// Two real copies of the player under the offscreen platform, sharing one
// settings database: a second copy hands its file to the running one and ends.
#include "support/mp3gen.h"
#include "support/playerhome.h"
#include "support/processoutput.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QTest>

namespace {
class TwoCopies : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(home.isValid());
        // The window says what it shows on its logging category.
        home.env.insert("QT_LOGGING_RULES", "liravo.window.debug=true");
    }

    void TearDown() override { stopProcesses({&running, &second}); }

    void start(QProcess &p, const QStringList &args) { ASSERT_TRUE(home.start(p, args)); }

    // Collects what the running copy printed until `line` shows up.
    bool waitForLine(const QString &line, int ms = 10000) { return output.waitForLine(line, ms); }

    QString stored(const QString &section, const QString &key, const QString &app = "Liravo")
    {
        return home.stored(section, key, app);
    }

    PlayerHome home{QStringLiteral(LIRAVO_BINARY)};
    QProcess running;
    QProcess second;
    ProcessOutput output{running};
};
} // namespace

TEST_F(TwoCopies, SecondCopyHandsOverItsSongAndEnds)
{
    start(running, {});
    ASSERT_TRUE(waitForLine(QStringLiteral("liravo.window: caption [][Liravo]"))) << output.seen();
    EXPECT_EQ(stored("版本更新", "当前版本"), "20140529");
    EXPECT_EQ(stored("设置", "firstRun"), "False");
    EXPECT_EQ(stored("设置", "播放模式"), "列表播放");
    EXPECT_EQ(stored("设置", "字体颜色", "Liravo"), "255");
    EXPECT_EQ(stored("设置", "背景颜色", "Liravo"), "0");
    EXPECT_NE(stored("程序多开", "句柄").toLongLong(), 0);

    const QString mp3 = home.filePath("歌曲 一.mp3");
    ASSERT_TRUE(writeMp3(mp3, {.seconds = 30, .title = "测试歌曲", .artist = "歌手甲"}));

    start(second, {mp3});
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);

    EXPECT_TRUE(waitForLine(QStringLiteral("liravo.window: shown"), 5000)) << output.seen();
    EXPECT_TRUE(waitForLine(QStringLiteral("liravo.window: caption 测试歌曲[播放中...][Liravo]"), 10000))
        << output.seen();
    EXPECT_EQ(stored("程序多开", "歌曲文件"), "");
    EXPECT_EQ(stored("程序多开", "show"), "false");

    // A copy started without a file only brings the running one forward.
    const QString shown = QStringLiteral("\nliravo.window: shown\n");
    const QString caption = QStringLiteral("liravo.window: caption ");
    const int shownBefore = output.read().count(shown);
    const int captionsBefore = output.read().count(caption);
    QProcess third;
    start(third, {});
    ASSERT_TRUE(third.waitForFinished(10000));
    EXPECT_EQ(third.exitCode(), 0);
    EXPECT_TRUE(output.waitFor([&](const QString &text) { return text.count(shown) > shownBefore; }, 5000))
        << output.seen();
    QTest::qWait(300);
    EXPECT_EQ(output.read().count(caption), captionsBefore) << output.seen();
    EXPECT_EQ(running.state(), QProcess::Running);
}

TEST_F(TwoCopies, SoleCopyStartedWithASongShowsItsTitle)
{
    const QString mp3 = home.filePath("open.mp3");
    ASSERT_TRUE(writeMp3(mp3, {.seconds = 30, .title = "开场曲", .artist = "歌手乙"}));
    start(running, {mp3});
    EXPECT_TRUE(waitForLine(QStringLiteral("liravo.window: caption 开场曲[播放中...][Liravo]"), 10000))
        << output.seen();
    EXPECT_EQ(stored("歌集", "最后的播放位置"), "1");
}

TEST_F(TwoCopies, RelativePathIsHandedOverAsAFullPath)
{
    start(running, {});
    ASSERT_TRUE(waitForLine(QStringLiteral("liravo.window: caption [][Liravo]"))) << output.seen();

    QDir(home.path()).mkpath(QStringLiteral("music"));
    ASSERT_TRUE(writeMp3(home.filePath("music/rel.mp3"), {.seconds = 30, .title = "相对路径"}));
    second.setWorkingDirectory(home.filePath("music"));
    start(second, {QStringLiteral("rel.mp3")});
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_TRUE(waitForLine(QStringLiteral("liravo.window: caption 相对路径[播放中...][Liravo]"), 10000))
        << output.seen();
}
