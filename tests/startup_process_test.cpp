// Two real copies of the player under the offscreen platform, sharing one
// settings database: a second copy hands its file to the running one and ends.
#include "platform/sqlitesettingsbackend.h"
#include "support/mp3gen.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {
class TwoCopies : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(home.isValid());
        QDir(home.path()).mkpath(QStringLiteral("cfg"));
        QDir(home.path()).mkpath(QStringLiteral("run"));
        QFile::setPermissions(home.filePath("run"), QFileDevice::ReadOwner
                                                        | QFileDevice::WriteOwner
                                                        | QFileDevice::ExeOwner);
        env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", home.path());
        env.insert("XDG_CONFIG_HOME", home.filePath("cfg"));
        env.insert("XDG_RUNTIME_DIR", home.filePath("run"));
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("LIRAVO_AO", "null");
        // The window says what it shows on its logging category.
        env.insert("QT_LOGGING_RULES", "liravo.window.debug=true");
        env.insert("BROWSER", "true");
    }

    void TearDown() override
    {
        for (QProcess *p : {&running, &second})
            if (p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished(5000);
            }
    }

    void start(QProcess &p, const QStringList &args)
    {
        p.setProcessEnvironment(env);
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(QStringLiteral(LIRAVO_BINARY), args);
        ASSERT_TRUE(p.waitForStarted(10000));
    }

    // Collects what the running copy printed until `line` shows up.
    bool waitForLine(const QString &line, int ms = 10000)
    {
        return QTest::qWaitFor(
            [&] {
                output += QString::fromUtf8(running.readAllStandardOutput());
                return output.split(QLatin1Char('\n')).contains(line);
            },
            ms);
    }

    QString stored(const QString &section, const QString &key, const QString &app = "Liravo")
    {
        SqliteSettingsBackend db(home.filePath("cfg/Liravo/settings.sqlite3"));
        return db.read(app, section, key).value_or(QStringLiteral("<missing>"));
    }

    QTemporaryDir home;
    QProcessEnvironment env;
    QProcess running;
    QProcess second;
    QString output;
};
} // namespace

TEST_F(TwoCopies, SecondCopyHandsOverItsSongAndEnds)
{
    start(running, {});
    ASSERT_TRUE(waitForLine(QStringLiteral("liravo.window: caption [][Liravo]"))) << output.toStdString();
    EXPECT_EQ(stored("版本更新", "当前版本"), "20140529");
    EXPECT_EQ(stored("设置", "firstRun"), "False");
    EXPECT_EQ(stored("设置", "播放模式"), "列表播放");
    EXPECT_EQ(stored("设置", "字体颜色", "Liravo"), "255");
    EXPECT_EQ(stored("设置", "背景颜色", "Liravo"), "0");
    EXPECT_NE(stored("程序多开", "句柄").toLongLong(), 0);

    Mp3Recipe recipe;
    recipe.seconds = 30;
    recipe.title = QStringLiteral("测试歌曲");
    recipe.artist = QStringLiteral("歌手甲");
    const QString mp3 = home.filePath("歌曲 一.mp3");
    ASSERT_TRUE(writeMp3(mp3, recipe));

    start(second, {mp3});
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);

    EXPECT_TRUE(waitForLine(QStringLiteral("liravo.window: shown"), 5000)) << output.toStdString();
    EXPECT_TRUE(waitForLine(QStringLiteral("liravo.window: caption 测试歌曲[播放中...][Liravo]"), 10000))
        << output.toStdString();
    EXPECT_EQ(stored("程序多开", "歌曲文件"), "");
    EXPECT_EQ(stored("程序多开", "show"), "false");

    // A copy started without a file only brings the running one forward.
    const int shownBefore = output.count(QStringLiteral("\nliravo.window: shown\n"));
    const int captionsBefore = output.count(QStringLiteral("liravo.window: caption "));
    QProcess third;
    third.setProcessEnvironment(env);
    third.start(QStringLiteral(LIRAVO_BINARY), {});
    ASSERT_TRUE(third.waitForFinished(10000));
    EXPECT_EQ(third.exitCode(), 0);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            output += QString::fromUtf8(running.readAllStandardOutput());
            return output.count(QStringLiteral("\nliravo.window: shown\n")) > shownBefore;
        },
        5000))
        << output.toStdString();
    QTest::qWait(300);
    output += QString::fromUtf8(running.readAllStandardOutput());
    EXPECT_EQ(output.count(QStringLiteral("liravo.window: caption ")), captionsBefore) << output.toStdString();
    EXPECT_EQ(running.state(), QProcess::Running);
}

TEST_F(TwoCopies, SoleCopyStartedWithASongShowsItsTitle)
{
    Mp3Recipe recipe;
    recipe.seconds = 30;
    recipe.title = QStringLiteral("开场曲");
    recipe.artist = QStringLiteral("歌手乙");
    const QString mp3 = home.filePath("open.mp3");
    ASSERT_TRUE(writeMp3(mp3, recipe));
    start(running, {mp3});
    EXPECT_TRUE(waitForLine(QStringLiteral("liravo.window: caption 开场曲[播放中...][Liravo]"), 10000))
        << output.toStdString();
    EXPECT_EQ(stored("歌集", "最后的播放位置"), "1");
}

TEST_F(TwoCopies, RelativePathIsHandedOverAsAFullPath)
{
    start(running, {});
    ASSERT_TRUE(waitForLine(QStringLiteral("liravo.window: caption [][Liravo]"))) << output.toStdString();

    Mp3Recipe recipe;
    recipe.seconds = 30;
    recipe.title = QStringLiteral("相对路径");
    QDir(home.path()).mkpath(QStringLiteral("music"));
    ASSERT_TRUE(writeMp3(home.filePath("music/rel.mp3"), recipe));
    second.setWorkingDirectory(home.filePath("music"));
    start(second, {QStringLiteral("rel.mp3")});
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_TRUE(waitForLine(QStringLiteral("liravo.window: caption 相对路径[播放中...][Liravo]"), 10000))
        << output.toStdString();
}
