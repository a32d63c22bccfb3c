// SPDX-License-Identifier: GPL-3.0-or-later
// frm主窗体 as a widget: names, layout and menus, the label buttons, the tray
// pop-up, minimising and closing.
#include "playback/player.h"
#include "ui/appcontext.h"
#include "playback/playentry.h"
#include "windows/mainwindow.h"
#include "windows/mainviewmodel.h"
#include "base/settings.h"
#include "store/memorysettingsbackend.h"
#include "support/fakeservices.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QTimer>

namespace {
class MainWindowTest : public ::testing::Test, protected FakeServices {
protected:
    void SetUp() override
    {
        ctx.navigator = &nav;
        nav.onExitProgram = [this] { ++exits; };
        nav.onCloseSongList = [this] { ++songListCloses; };
        nav.onCloseSearchWindow = [this] { ++searchCloses; };
        nav.onShowSongList = [this] { ++songListShows; };
        window = std::make_unique<MainWindow>(ctx);
    }

    QStringList names(const QList<QAction *> &actions)
    {
        QStringList out;
        for (QAction *a : actions)
            out << a->objectName();
        return out;
    }
    QLabel *label(int i) { return window->findChild<QLabel *>(QStringLiteral("Label1_%1").arg(i)); }
    QAction *action(const char *name) { return window->findChild<QAction *>(QString::fromUtf8(name)); }

    std::unique_ptr<MainWindow> window;
    int exits = 0, songListCloses = 0, searchCloses = 0, songListShows = 0;
};
} // namespace

TEST_F(MainWindowTest, LongTextsEndInAnEllipsisInsideTheWindow)
{
    const QString longTitle = QStringLiteral("很长很长的歌名").repeated(8);
    heldCollection(ctx.player).count = 1;
    heldCollection(ctx.player).entry(1).address = QStringLiteral("/m/a.mp3");
    ctx.player.play(1);
    player.titleTag = longTitle;
    player.authorTag = QStringLiteral("歌手");
    player.report(MediaPlayer::Playing);
    ctx.player.tick();
    QLabel *name = label(1);
    EXPECT_LE(name->geometry().right(), window->centralWidget()->width());
    EXPECT_TRUE(name->text().endsWith(QChar(0x2026)));
    EXPECT_EQ(name->toolTip(), longTitle);
    // A text that fits is shown whole, without a tooltip.
    EXPECT_EQ(label(2)->text(), "歌手");
    EXPECT_TRUE(label(2)->toolTip().isEmpty());
}

TEST_F(MainWindowTest, LayoutAndNames)
{
    EXPECT_EQ(window->objectName(), "frm主窗体");
    EXPECT_EQ(window->centralWidget()->size(), QSize(430, 200));
    EXPECT_EQ(window->windowTitle(), "Liravo");
    EXPECT_FALSE(window->windowIcon().isNull());
    EXPECT_TRUE(window->windowIcon().availableSizes().contains(QSize(16, 16)));

    const QList<QPoint> places = {{48, 152}, {48, 32}, {48, 64}, {160, 152},
                                  {248, 152}, {320, 152}, {48, 96}};
    for (int i = 0; i < 7; ++i) {
        QLabel *l = label(i);
        ASSERT_NE(l, nullptr) << i;
        EXPECT_EQ(l->property("index").toInt(), i);
        EXPECT_EQ(l->pos(), places[i]) << i;
        EXPECT_TRUE(l->font().bold());
        EXPECT_DOUBLE_EQ(l->font().pointSizeF(), 14.25);
        EXPECT_EQ(l->font().families(), (QStringList{"SimSun", "WenQuanYi Zen Hei"}));
        EXPECT_EQ(l->palette().color(QPalette::WindowText), QColor(255, 0, 0)) << i;
    }
    EXPECT_EQ(label(1)->text(), "");
    EXPECT_EQ(label(3)->text(), "播放");
    EXPECT_EQ(window->centralWidget()->palette().color(QPalette::Window), QColor(0, 0, 0));

    auto *timer = ctx.player.findChild<QTimer *>("Timer1");
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(timer->interval(), 100);
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(tray.tooltip(), "Liravo");
}

TEST_F(MainWindowTest, SettingsChoicesShowTheStoredOneAndStoreThePick)
{
    // The tray's pop-up is a menu of the window that never shows in the bar.
    auto *popup = window->findChild<QMenu *>("m_右键菜单");
    ASSERT_NE(popup, nullptr);
    EXPECT_FALSE(window->menuBar()->actions().contains(popup->menuAction()));
    EXPECT_FALSE(action("m_Link")->isVisible());
    EXPECT_FALSE(action("m_setlink")->isEnabled());

    const struct {
        const char *key, *stored, *checked, *pick;
    } cases[] = {
        {"音量均衡", nullptr, "关闭", "专辑"},
        {"启动时", nullptr, "暂停", "不恢复"},
        {"启动时", "播放", "播放", "暂停"},
        {"歌曲通知", "胡乱", "隐藏时", "总是"}, // an unknown text reads as the default
    };
    for (const auto &c : cases) {
        const QString key = QString::fromUtf8(c.key);
        backend.clear();
        if (c.stored)
            backend.write("Liravo", "设置", key, QString::fromUtf8(c.stored));
        MainWindow w(ctx);
        auto *menu = w.findChild<QMenu *>(QStringLiteral("m_") + key);
        ASSERT_NE(menu, nullptr) << c.key;
        QStringList checked;
        for (QAction *a : menu->actions())
            if (a->isChecked())
                checked << a->text();
        EXPECT_EQ(checked, QStringList{QString::fromUtf8(c.checked)}) << c.key;
        w.findChild<QAction *>(QStringLiteral("m_%1_%2").arg(key, QString::fromUtf8(c.pick)))->trigger();
        EXPECT_EQ(backend.read("Liravo", "设置", key).value_or(""), QString::fromUtf8(c.pick)) << c.key;
    }
}

TEST_F(MainWindowTest, TickMirrorsTheStateIntoWidgets)
{
    ctx.player.tick();
    EXPECT_EQ(window->windowTitle(), "[停止][Liravo]");
    EXPECT_FALSE(action("m_Pre")->isEnabled());
    EXPECT_FALSE(action("m_Rnd")->isEnabled());
    EXPECT_EQ(label(0)->palette().color(QPalette::WindowText),
              MainViewModel::defaultGreyText());

    action("m_切换播放模式")->trigger();
    EXPECT_EQ(action("m_切换播放模式")->text(), "列表循环");

    dialogs.colorAnswers.enqueue(0x00FF00);
    action("bcolor")->trigger();
    EXPECT_EQ(window->centralWidget()->palette().color(QPalette::Window), QColor(0, 255, 0));
}

TEST_F(MainWindowTest, ClickingLabels)
{
    window->show();
    ctx.player.tick();
    // Greyed previous button: nothing.
    QTest::mouseClick(label(0), Qt::LeftButton);
    EXPECT_EQ(dialogs.asked.size(), 0);
    // Play with nothing loaded asks for a file.
    QTest::mouseClick(label(3), Qt::LeftButton);
    EXPECT_EQ(dialogs.count("open"), 1);

    // A double click on play/pause pauses once rather than pausing and
    // playing again.
    heldCollection(ctx.player).count = 1;
    heldCollection(ctx.player).entry(1).address = QStringLiteral("/music/a.mp3");
    QTest::mouseClick(label(3), Qt::LeftButton);
    ASSERT_EQ(label(3)->text(), "暂停");
    // What the desktop delivers: press, release, press, double click, release.
    QTest::mouseClick(label(3), Qt::LeftButton);
    QTest::mouseDClick(label(3), Qt::LeftButton);
    EXPECT_EQ(label(3)->text(), "播放");
    EXPECT_EQ(player.pauses, 1);
    EXPECT_EQ(player.plays, 1);
}

TEST_F(MainWindowTest, MinimisingHidesOnlyWhereATrayIsAvailable)
{
    window->show();
    window->setWindowState(Qt::WindowMinimized);
    QCoreApplication::processEvents();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(songListCloses, 1);
    EXPECT_EQ(searchCloses, 1);

    tray.onDoubleClick();
    QCoreApplication::processEvents();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(songListCloses, 1);
    EXPECT_FALSE(window->windowState() & Qt::WindowMinimized);

    tray.hostAvailable = false;
    window->setWindowState(Qt::WindowMinimized);
    QCoreApplication::processEvents();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(songListCloses, 2);

    // The pop-up's 主界面 brings it back as well.
    action("m_Show")->trigger();
    EXPECT_FALSE(window->windowState() & Qt::WindowMinimized);
}

TEST_F(MainWindowTest, CloseBoxKeepsRunningWhenTheUserKeepsTheCollection)
{
    window->show();
    heldCollection(ctx.player).count = 1;
    heldCollection(ctx.player).entry(1).songName = QStringLiteral("歌");
    heldCollection(ctx.player).changed = true;
    dialogs.messageAnswers.enqueue(Dialogs::Answer::No);
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(exits, 0);
    EXPECT_TRUE(tray.visible());

    heldCollection(ctx.player).saved = true;
    EXPECT_TRUE(window->close());
    EXPECT_EQ(exits, 1);
    EXPECT_FALSE(tray.visible());
    EXPECT_EQ(dialogs.count("message"), 1);
}

TEST_F(MainWindowTest, TrayRightPressPopsUpTheMenu)
{
    window->hide();
    ASSERT_TRUE(tray.onRightPress);
    tray.onRightPress(QPoint(10, 10));
    auto *popup = window->findChild<QMenu *>("m_右键菜单");
    EXPECT_TRUE(popup->isVisible());
    popup->hide();
}
