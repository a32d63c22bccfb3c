// SPDX-License-Identifier: GPL-3.0-or-later
// The song list window as the rest of the player reaches it: through the
// window hub's hooks and the main window's menu, with the doubles underneath.
#include "playback/player.h"
#include "windows/songlistwindow.h"
#include "ui/appcontext.h"
#include "windows/mainwindow.h"
#include "windows/mainviewmodel.h"
#include "base/settings.h"
#include "app/windowhub.h"
#include "store/memorysettingsbackend.h"
#include "support/fakeservices.h"
#include "support/testfiles.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>

namespace {

class SongListHubTest : public ::testing::Test, protected FakeServices {
protected:
    void SetUp() override
    {
        hub = std::make_unique<WindowHub>(ctx);
        hub->mainWindow().setGeometry(40, 60, 430, 200);
    }

    QString writeYyu(const QString &name, const QByteArray &bytes)
    {
        return writeTestFile(tmp.filePath(name), bytes);
    }

    QStringList rows()
    {
        QStringList out;
        auto *w = topLevelWindow(QStringLiteral("frm歌曲列表"));
        if (!w)
            return out;
        auto *list = w->findChild<QListWidget *>("List1");
        for (int i = 0; i < list->count(); ++i)
            out << list->item(i)->text();
        return out;
    }

    QTemporaryDir tmp;
    std::unique_ptr<WindowHub> hub;
};

} // namespace

TEST_F(SongListHubTest, OpenedCollectionFillsTheWindow)
{
    const QString path = writeYyu("night.yyu", "Night\r\nA|a\r\n|b\r\n");
    // At the screen's left edge, so that the screen has room for both windows.
    hub->mainWindow().move(0, 60);
    ctx.player.playFile(path);
    hub->mainWindow().findChild<QAction *>("m_NewFile")->trigger();
    QWidget *w = topLevelWindow(QStringLiteral("frm歌曲列表"));
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(rows(), (QStringList{"A-a", "b"}));
    EXPECT_EQ(storedEntry(settings, "Liravo", "歌集", "最后的歌集地址", ""), path);

    // The main window's "歌曲列表" shows it beside the main window.
    hub->mainWindow().findChild<QAction *>("m_NewFile")->trigger();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    const QRect m = hub->mainWindow().frameGeometry();
    EXPECT_EQ(w->frameGeometry().topLeft(), QPoint(m.x() + m.width() + 13, m.y()));
}

TEST_F(SongListHubTest, ClosedWindowComesBackWithTheSameCollection)
{
    ctx.player.playFile(writeYyu("night.yyu", "Night\r\nA|a\r\n"));
    ctx.windows().showSongList();
    QPointer<QWidget> first = topLevelWindow(QStringLiteral("frm歌曲列表"));
    ASSERT_TRUE(first);
    ctx.windows().closeSongList();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(first.isNull());
    EXPECT_EQ(heldCollection(ctx.player).count, 1);

    ctx.windows().showSongList();
    EXPECT_EQ(rows(), QStringList{"A-a"});
}

TEST_F(SongListHubTest, MainWindowOpenFileLoadsACollection)
{
    const QString path = writeYyu("evening.yyu", "Evening\r\nSinger A|Song one\r\n");
    dialogs.openManyAnswers << QStringList{path};
    hub->mainWindow().findChild<QAction *>("m_Open")->trigger();
    hub->mainWindow().findChild<QAction *>("m_NewFile")->trigger();
    ASSERT_EQ(dialogs.count("open"), 1);
    EXPECT_EQ(dialogs.asked[0].text, QString("音频文件|*.mp3;*.m4a;*.flac;*.ogg;*.oga;*.opus;*.wav;*.aac;*.wma;*.ape;"
                                                  "*.yyu;*.m3u;*.m3u8;*.pls"));
    EXPECT_EQ(rows(), QStringList{"Singer A-Song one"});
    EXPECT_EQ(heldCollection(ctx.player).albumName, QString("Evening"));
}

TEST_F(SongListHubTest, OpenSongListFollowsALoneOpenedSong)
{
    ctx.player.playFile(writeYyu("night.yyu", "Night\r\nA|a\r\nB|b\r\n"));
    ctx.windows().showSongList();
    ASSERT_EQ(rows(), (QStringList{"A-a", "B-b"}));

    // Untagged: the song goes by its file's name once the engine plays it.
    QFile mp3(writeSong(QDir(tmp.path()).absoluteFilePath("晚风.mp3")));
    MainViewModel &c = hub->mainWindow().controller();
    ctx.player.playFile(mp3.fileName());
    player.report(MediaPlayer::Playing);
    ctx.player.tick();
    EXPECT_EQ(rows(), QStringList{"晚风"});
    EXPECT_EQ(heldCollection(ctx.player).count, 1);

    // A song that never plays leaves no stale rows either.
    ctx.player.playFile(writeYyu("night.yyu", "Night\r\nA|a\r\nB|b\r\n"));
    ASSERT_EQ(rows(), (QStringList{"A-a", "B-b"}));
    player.stateAfterPlay = MediaPlayer::Stopped;
    ctx.player.playFile(mp3.fileName());
    ctx.player.tick();
    ctx.player.tick();
    EXPECT_NE(rows(), (QStringList{"A-a", "B-b"}));
}
