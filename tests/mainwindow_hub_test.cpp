// The hooks through which the windows reach each other: windows made on first
// use, loaded without being shown, closed and made afresh.
#include "ui/appcontext.h"
#include "windows/mainwindow.h"
#include "windows/mainviewmodel.h"
#include "base/settings.h"
#include "app/windowhub.h"
#include "store/memorysettingsbackend.h"
#include "support/fakeservices.h"
#include "support/testfiles.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDialog>
#include <QFile>
#include <QTemporaryDir>

namespace {
class Hub : public ::testing::Test, protected FakeServices {
protected:
    void SetUp() override
    {
        hub = std::make_unique<WindowHub>(ctx);
        hub->mainWindow();
    }

    static void deleteClosed()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    std::unique_ptr<WindowHub> hub;
};
} // namespace

TEST_F(Hub, SongListIsMadeWhenShownAndMadeAfreshAfterClosing)
{
    EXPECT_EQ(ctx.windows().existingMainWindow(), &hub->mainWindow());
    ASSERT_TRUE(ctx.navigator);
    // Nothing makes the list behind the user's back: it follows the player
    // once it exists.
    ctx.player.replaceCollection(SongCollection{});
    EXPECT_EQ(topLevelWindow(QStringLiteral("frm歌曲列表")), nullptr);

    ctx.windows().showSongList();
    QWidget *list = topLevelWindow(QStringLiteral("frm歌曲列表"));
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(list->isVisible());

    ctx.windows().closeSongList();
    deleteClosed();
    EXPECT_EQ(topLevelWindow(QStringLiteral("frm歌曲列表")), nullptr);
    ctx.windows().showSongList();
    ASSERT_NE(topLevelWindow(QStringLiteral("frm歌曲列表")), nullptr);
    EXPECT_TRUE(topLevelWindow(QStringLiteral("frm歌曲列表"))->isVisible());
}

TEST_F(Hub, MenuEntriesOpenTheirWindows)
{
    MainWindow &w = hub->mainWindow();
    w.show();
    const QList<QPair<const char *, QString>> entries = {
        {"m_NewFile", "frm歌曲列表"}, {"sounet", "frm音乐搜索"}, {"scanLocal", "frm本地歌曲扫描"}};
    for (const auto &[action, window] : entries) {
        auto *a = w.findChild<QAction *>(QString::fromUtf8(action));
        ASSERT_NE(a, nullptr) << action;
        a->trigger();
    }
    ASSERT_NE(topLevelWindow(QStringLiteral("frm歌曲列表")), nullptr);
    ASSERT_NE(topLevelWindow(QStringLiteral("frm音乐搜索")), nullptr);
    ASSERT_NE(topLevelWindow(QStringLiteral("frm本地歌曲扫描")), nullptr);
    EXPECT_EQ(topLevelWindow(QStringLiteral("frm音乐搜索"))->objectName(), "frm音乐搜索");
    EXPECT_EQ(topLevelWindow(QStringLiteral("frm本地歌曲扫描"))->objectName(), "frm本地歌曲扫描");
    EXPECT_TRUE(topLevelWindow(QStringLiteral("frm音乐搜索"))->isVisible());

    // Minimising into the tray closes the song list and the search window.
    w.setWindowState(Qt::WindowMinimized);
    QCoreApplication::processEvents();
    deleteClosed();
    EXPECT_EQ(topLevelWindow(QStringLiteral("frm歌曲列表")), nullptr);
    EXPECT_EQ(topLevelWindow(QStringLiteral("frm音乐搜索")), nullptr);
    EXPECT_NE(topLevelWindow(QStringLiteral("frm本地歌曲扫描")), nullptr);
}

TEST_F(Hub, PlayFileReachesTheMainWindow)
{
    QTemporaryDir dir;
    const QString song = writeTestFile(dir.filePath("a.mp3"), "not empty");
    ASSERT_TRUE(ctx.navigator);
    ctx.player.playFile(song);
    EXPECT_EQ(player.urls, QStringList{song});
    EXPECT_EQ(heldCollection(ctx.player).count, 1);
}

// Any modal dialog open in the program holds the collection: a handed-over
// file waits for it to close.
TEST_F(Hub, HandOffWaitsForAnOpenModalDialog)
{
    QTemporaryDir dir;
    const QString song = writeTestFile(dir.filePath("a.mp3"), "not empty");
    MainViewModel &c = hub->mainWindow().controller();
    QDialog dialog;
    dialog.setModal(true);
    dialog.show();
    backend.write("Liravo", "程序多开", "歌曲文件", song);
    ctx.player.tick();
    EXPECT_TRUE(player.urls.isEmpty());
    EXPECT_EQ(backend.read("Liravo", "程序多开", "歌曲文件").value_or(""), song);
    dialog.close();
    ctx.player.tick();
    EXPECT_EQ(player.urls, QStringList{song});
    EXPECT_EQ(backend.read("Liravo", "程序多开", "歌曲文件").value_or("<missing>"), "");
}
