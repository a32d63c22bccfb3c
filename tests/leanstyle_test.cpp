// SPDX-License-Identifier: GPL-3.0-or-later
// What the main window costs to build and to keep up to date: no image
// plugins at start-up, one decoded program icon, and a window that still
// follows every change although it no longer rewrites what it shows.
#include "playback/player.h"
#include "base/songcollection.h"
#include "ui/appcontext.h"
#include "ui/leanstyle.h"
#include "windows/mainwindow.h"
#include "windows/mainviewmodel.h"
#include "base/settings.h"
#include "store/memorysettingsbackend.h"
#include "support/fakeservices.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QStyle>
#include <QStyleOption>
#include <gtest/gtest.h>

namespace {
QByteArray loadedImagePlugins()
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly))
        return "unreadable";
    QByteArray found;
    for (const QByteArray &line : maps.readAll().split('\n')) {
        if (line.contains("/imageformats/"))
            found += line.mid(line.lastIndexOf(' ') + 1) + ' ';
    }
    return found;
}

struct Window : FakeServices {
    Window()
    {
        window = std::make_unique<MainWindow>(ctx);
    }
    QLabel *label(int i) { return window->findChild<QLabel *>(QStringLiteral("Label1_%1").arg(i)); }
    QAction *action(const char *name) { return window->findChild<QAction *>(QString::fromUtf8(name)); }

    std::unique_ptr<MainWindow> window;
};
} // namespace

// Runs first in this program, before anything else could load a plugin.
TEST(LeanStartUp, MainWindowAndIconsLoadNoImagePlugin)
{
    ASSERT_TRUE(loadedImagePlugins().isEmpty()) << loadedImagePlugins().constData();
    QApplication::setStyle(new LeanStyle(QApplication::style()->name()));
    QApplication::setWindowIcon(MainWindow::appIcon());
    Window w;
    w.window->show();
    w.ctx.player.tick();
    EXPECT_TRUE(loadedImagePlugins().isEmpty()) << loadedImagePlugins().constData();

    // The program icon is decoded once and shared, at every size it ships in.
    const QIcon icon = MainWindow::appIcon();
    EXPECT_EQ(icon.cacheKey(), MainWindow::appIcon().cacheKey());
    EXPECT_EQ(icon.cacheKey(), w.window->windowIcon().cacheKey());
    EXPECT_EQ(icon.availableSizes().size(), 8);
    EXPECT_TRUE(icon.availableSizes().contains(QSize(256, 256)));
    EXPECT_TRUE(icon.availableSizes().contains(QSize(16, 16)));
}

TEST(LeanStartUp, OverflowButtonKeepsQtsPicturesForBothDirections)
{
    LeanStyle style(QStringLiteral("Fusion"));
    const QIcon ltr = style.standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton);
    QStyleOption rtlOption;
    rtlOption.direction = Qt::RightToLeft;
    const QIcon rtl = style.standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton, &rtlOption);
    const QIcon vertical = style.standardIcon(QStyle::SP_ToolBarVerticalExtensionButton);
    ASSERT_FALSE(ltr.isNull());
    ASSERT_FALSE(rtl.isNull());
    ASSERT_FALSE(vertical.isNull());
    // Each set holds only its own direction's pictures: mirrored, not mixed.
    EXPECT_EQ(ltr.availableSizes().size(), rtl.availableSizes().size());
    const QSize size = ltr.availableSizes().first();
    const QImage a = ltr.pixmap(size).toImage();
    const QImage b = rtl.pixmap(size).toImage();
    EXPECT_NE(a, b);
    EXPECT_NE(vertical.pixmap(size).toImage(), a);
    // Everything else is the underlying style's.
    EXPECT_FALSE(style.standardIcon(QStyle::SP_MessageBoxWarning).isNull());
}

// Ticks ten times a second ask the window to sync; what changes between them
// must still reach the labels, colours, menu entries and caption.
TEST(LeanStartUp, WindowFollowsEveryChangeBetweenTicks)
{
    Window w;
    MainViewModel &c = w.window->controller();
    for (int i = 0; i < 5; ++i)
        w.ctx.player.tick();
    EXPECT_FALSE(w.action("m_Next")->isEnabled());

    addEntry(heldCollection(w.ctx.player), QStringLiteral("稻香"), QStringLiteral("周杰伦"), QStringLiteral("http://x/1.mp3"));
    addEntry(heldCollection(w.ctx.player), QStringLiteral("晴天"), QStringLiteral("周杰伦"), QStringLiteral("http://x/2.mp3"));
    heldCollection(w.ctx.player).currentIndex = 1;
    heldCollection(w.ctx.player).playing = true;
    w.player.report(MediaPlayer::Paused);  // (no moving on to the next song)
    w.ctx.player.tick();
    EXPECT_TRUE(w.action("m_Next")->isEnabled());
    EXPECT_FALSE(w.action("m_Pre")->isEnabled());
    EXPECT_TRUE(w.window->windowTitle().startsWith("稻香[")) << qPrintable(w.window->windowTitle());

    heldCollection(w.ctx.player).currentIndex = 2;
    w.ctx.player.tick();
    w.ctx.player.tick();
    EXPECT_FALSE(w.action("m_Next")->isEnabled());
    EXPECT_TRUE(w.action("m_Pre")->isEnabled());
    EXPECT_TRUE(w.window->windowTitle().startsWith("晴天["));

    // Playing: the tags reach the labels; stopping clears them again.
    w.player.titleTag = QStringLiteral("晴天");
    w.player.authorTag = QStringLiteral("周杰伦");
    w.player.report(MediaPlayer::Playing);
    heldCollection(w.ctx.player).playing = true;
    w.ctx.player.tick();
    EXPECT_EQ(w.label(1)->text(), "晴天");
    EXPECT_EQ(w.label(2)->text(), "周杰伦");
    EXPECT_EQ(w.label(3)->text(), "暂停");
    heldCollection(w.ctx.player).playing = false;
    w.player.report(MediaPlayer::Stopped);
    w.ctx.player.tick();
    EXPECT_EQ(w.label(1)->text(), "");
    EXPECT_EQ(w.label(3)->text(), "播放");

    // Colours and the play mode changed between ticks.
    c.setFontColor(0x00FF00);
    c.setBackColor(0x0000FF);
    w.ctx.player.tick();
    EXPECT_EQ(w.label(3)->palette().color(QPalette::WindowText), QColor(0, 255, 0));
    EXPECT_EQ(w.window->centralWidget()->palette().color(QPalette::Window), QColor(255, 0, 0));
    const QString before = w.action("m_切换播放模式")->text();
    c.cyclePlayMode();
    w.ctx.player.tick();
    EXPECT_NE(w.action("m_切换播放模式")->text(), before);
    EXPECT_EQ(w.action("m_切换播放模式")->text(), c.playMode());
}
