// SPDX-License-Identifier: GPL-3.0-or-later
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

#include <QApplication>
#include <QCoreApplication>
#include <QScreen>
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

    static QWidget *findWindow(const char *name)
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->objectName() == QString::fromUtf8(name))
                return w;
        return nullptr;
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

// A window that cannot grow offers no maximise button; the song list, which
// can, keeps it. Every window shown lies on the screen's available area.
TEST_F(Hub, OnlyResizableWindowsOfferMaximiseAndAllStayOnTheScreen)
{
    MainWindow &w = hub->mainWindow();
    const QRect screen = w.screen()->availableGeometry();
    // Far right and low, as a main window dragged there and left.
    w.move(screen.right() - 100, screen.bottom() - 60);
    w.show();
    ctx.windows().showSongList();
    ctx.windows().showSearchWindow();
    ctx.windows().showScanWindow();
    ctx.windows().showUpdaterWindow();
    const struct {
        QWidget *window;
        bool maximise;
        bool placedByHub;
    } cases[] = {
        {&w, false, false},
        {topLevelWindow(QStringLiteral("frm歌曲列表")), true, true},
        {topLevelWindow(QStringLiteral("frm音乐搜索")), false, true},
        {topLevelWindow(QStringLiteral("frm本地歌曲扫描")), false, true},
        {findWindow("frm更新程序"), false, true},
    };
    for (const auto &c : cases) {
        ASSERT_NE(c.window, nullptr);
        const QString name = c.window->objectName();
        const Qt::WindowFlags f = c.window->windowFlags();
        EXPECT_EQ(bool(f & Qt::WindowMaximizeButtonHint), c.maximise) << name.toStdString();
        EXPECT_TRUE(f & Qt::WindowCloseButtonHint) << name.toStdString();
        EXPECT_TRUE(f & Qt::WindowMinimizeButtonHint) << name.toStdString();
        const QRect frame = c.window->frameGeometry();
        if (c.placedByHub && frame.width() <= screen.width() && frame.height() <= screen.height())
            EXPECT_TRUE(screen.contains(frame)) << name.toStdString();
    }
}

TEST_F(Hub, PlayFileReachesTheMainWindow)
{
    QTemporaryDir dir;
    const QString song = writeSong(dir.filePath("a.mp3"));
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
    const QString song = writeSong(dir.filePath("a.mp3"));
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
