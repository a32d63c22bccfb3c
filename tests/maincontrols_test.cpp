// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's keys, wheel, position bar and dropped files.
#include "playback/player.h"
#include "playback/filedrops.h"
#include "playback/playentry.h"
#include "windows/mainwindow.h"
#include "windows/mainviewmodel.h"
#include "windows/positionbar.h"
#include "support/fakeservices.h"
#include "support/testfiles.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QFile>
#include <QLabel>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>
#include <QUrl>

namespace {
class Controls : public ::testing::Test, protected FakeServices {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ctx.navigator = &nav;
        nav.onExitProgram = [this] { ++exits; };
        QObject::connect(&ctx.player, &Player::collectionChanged, [this] { ++refreshes; });
        nav.onShowSongList = [] {};
        window = std::make_unique<MainWindow>(ctx);
        window->show();
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    // Entry 2 of three playing, 12 s into 30 s.
    void playingSecondOfThree()
    {
        SongCollection c;
        for (int i = 1; i <= 3; ++i)
            c.entry(i) = {QStringLiteral("S%1").arg(i), QStringLiteral("/music/%1.mp3").arg(i), {}, true};
        c.count = 3;
        c.saved = true;
        heldCollection(ctx.player) = c;
        player.stateAfterPlay = MediaPlayer::Playing;
        ctx.player.play(2);
        player.positionMs = 12000;
        player.durationMs = 30000;
        ctx.player.tick();
        player.setVolume(80);
        player.calls.clear();
    }

    // A short song that passes the playable check, of the type name says.
    QString file(const QString &name) { return writeSong(dir.filePath(name)); }

    // Goes the way a key from the keyboard goes, shortcut matching included.
    void press(const QKeySequence &seq)
    {
        const QKeyCombination k = seq[0];
        QTest::sendKeyEvent(QTest::Click, window.get(), k.key(), QString(), k.keyboardModifiers());
    }

    PositionBar *bar() { return window->findChild<PositionBar *>(QStringLiteral("positionBar")); }

    QTemporaryDir dir;
    std::unique_ptr<MainWindow> window;
    int exits = 0, refreshes = 0;
};
} // namespace

TEST_F(Controls, KeysRunTheLabelAndMenuOperations)
{
    const struct {
        QKeySequence key;
        const char *calls;
    } cases[] = {
        {Qt::Key_Space, "pause"},
        {Qt::Key_MediaTogglePlayPause, "pause"},
        {Qt::Key_MediaPause, "pause"},
        {Qt::Key_MediaPlay, "pause"}, // the one play key of many keyboards
        {Qt::Key_MediaStop, "stop"},
        {QKeySequence(Qt::CTRL | Qt::Key_Left), "setUrl /music/1.mp3,play"},
        {Qt::Key_MediaPrevious, "setUrl /music/1.mp3,play"},
        {QKeySequence(Qt::CTRL | Qt::Key_Right), "setUrl /music/3.mp3,play"},
        {Qt::Key_MediaNext, "setUrl /music/3.mp3,play"},
        {Qt::Key_Left, "seek 7000"},
        {Qt::Key_Right, "seek 17000"},
        {Qt::Key_Up, "volume 85"},
        {Qt::Key_Down, "volume 75"},
    };
    for (const auto &k : cases) {
        playingSecondOfThree();
        press(k.key);
        EXPECT_EQ(player.calls.join(QLatin1Char(',')), QString::fromLatin1(k.calls))
            << k.key.toString().toStdString();
    }

    press(QKeySequence(Qt::CTRL | Qt::Key_O));
    EXPECT_EQ(dialogs.count("open"), 1);
    press(QKeySequence(Qt::CTRL | Qt::Key_Q));
    EXPECT_EQ(exits, 1);
}

// A menu entry shows the key the main window answers to with the same
// command; a key shown that does something else, or nothing, misleads. (The
// keys still run once in the window: KeysRunTheLabelAndMenuOperations.)
TEST_F(Controls, MenuEntriesShowTheKeysThatRunThem)
{
    const struct {
        const char *entry, *keys;
    } cases[] = {
        {"m_Open", "key_open"}, {"m_endi", "key_exit"}, {"m_End", "key_exit"},
        {"m_P", "key_playPause"}, {"m_Pre", "key_previous"}, {"m_Next", "key_next"},
    };
    for (const auto &c : cases) {
        auto *entry = window->findChild<QAction *>(c.entry);
        auto *keys = window->findChild<QAction *>(c.keys);
        ASSERT_TRUE(entry && keys) << c.entry;
        EXPECT_FALSE(entry->shortcut().isEmpty()) << c.entry;
        EXPECT_TRUE(keys->shortcuts().contains(entry->shortcut())) << c.entry;
        EXPECT_TRUE(entry->isShortcutVisibleInContextMenu()) << c.entry;
    }
}

TEST_F(Controls, TrayIconMiddleClickAndWheelWorkUntilTheWindowGoes)
{
    playingSecondOfThree();
    window->hide();
    for (const char *calls : {"pause", "play"}) {
        EXPECT_TRUE(tray.middleClick());
        EXPECT_EQ(player.calls.join(","), calls);
        player.calls.clear();
    }
    const struct {
        int delta;
        int volume;
    } turns[] = {{120, 85}, {-60, 85}, {-60, 80}, {-240, 70}, {360, 85}};
    for (const auto &t : turns) {
        EXPECT_TRUE(tray.turnWheel(t.delta));
        EXPECT_EQ(player.volume(), t.volume) << t.delta;
    }
    EXPECT_EQ(QToolTip::text(), "音量：85");
    window.reset();
    EXPECT_FALSE(tray.turnWheel(120));
    EXPECT_FALSE(tray.middleClick());
}

TEST_F(Controls, WheelStepsTheVolumeOneNotchAtATimeAndShowsIt)
{
    // A wheel turned over a label reaches the window (made-up wheel events
    // do not travel to the parents, so it is sent there).
    auto wheel = [&](int delta) {
        QWheelEvent e(QPointF(60, 60), window->mapToGlobal(QPointF(60, 60)), {}, QPoint(0, delta),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(window.get(), &e);
    };
    wheel(120);
    EXPECT_EQ(player.volume(), 85);
    EXPECT_EQ(backend.read("Liravo", "设置", "音量").value_or(""), "85");
    EXPECT_EQ(QToolTip::text(), "音量：85");
    wheel(-60);
    EXPECT_EQ(player.volume(), 85);
    wheel(-60);
    wheel(-240);
    EXPECT_EQ(player.volume(), 70);
}

TEST_F(Controls, PositionBarShowsTheSongsTimeBelowTheLabelsAndSeeks)
{
    PositionBar *b = bar();
    ASSERT_NE(b, nullptr);
    EXPECT_FALSE(b->isVisible());

    playingSecondOfThree();
    EXPECT_TRUE(b->isVisible());
    EXPECT_EQ(b->timeText(), "0:12 / 0:30");
    const QRect area = window->centralWidget()->rect();
    EXPECT_EQ(b->geometry().bottom(), area.bottom());
    EXPECT_EQ(b->width(), area.width());
    for (QLabel *l : window->findChildren<QLabel *>())
        EXPECT_FALSE(l->geometry().intersects(b->geometry())) << l->objectName().toStdString();

    // It is drawn in the stored font colour, on the window's background.
    window->controller().setFontColor(0x00FF00);
    EXPECT_EQ(b->textColor(), QColor(0, 255, 0));
    EXPECT_FALSE(b->autoFillBackground());
    // The time keeps clear of the window's right border.
    const QImage shot = b->grab().toImage();
    const QRgb back = window->centralWidget()->palette().color(QPalette::Window).rgb();
    int inkAt = -1;
    for (int x = 0; x < shot.width(); ++x)
        for (int y = 0; y < shot.height(); ++y)
            if (shot.pixel(x, y) != back)
                inkAt = x;
    EXPECT_GT(inkAt, shot.width() / 2);
    EXPECT_LE(inkAt, shot.width() - 1 - 6);

    // A click a quarter along the track.
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(8 + (b->width() - 108) / 4, b->height() / 2));
    ASSERT_EQ(player.seeks.size(), 1);
    EXPECT_NEAR(double(player.seeks[0]), 7500.0, 100.0);

    // Paused, it stays; stopped, it goes.
    ctx.player.pause();
    ctx.player.tick();
    EXPECT_TRUE(b->isVisible());
    window->controller().clickLabel(MainViewModel::Stop);
    ctx.player.tick();
    EXPECT_FALSE(b->isVisible());
}

TEST(PositionBarPace, MovesOnItsOwnAsEachSecondTurns)
{
    FakeMediaPlayer player;
    QWidget parent;
    PositionBar bar(player, &parent);
    player.report(MediaPlayer::Playing);
    player.positionMs = 12400;
    player.durationMs = 30000;
    bar.refresh();
    EXPECT_EQ(bar.timeText(), "0:12 / 0:30");
    player.positionMs = 13000;
    EXPECT_TRUE(QTest::qWaitFor([&] { return bar.timeText() == "0:13 / 0:30"; }, 800));
    // Paused, it no longer looks.
    player.report(MediaPlayer::Paused);
    player.positionMs = 13500;
    bar.refresh();
    player.positionMs = 15000;
    QTest::qWait(1100);
    EXPECT_EQ(bar.timeText(), "0:13 / 0:30");
}

TEST_F(Controls, TimesAndPlacesOnTheBar)
{
    const struct {
        qint64 ms;
        const char *text;
    } times[] = {{-1, "-:--"}, {0, "0:00"}, {999, "0:00"}, {61000, "1:01"}, {3600000, "60:00"}};
    for (const auto &t : times)
        EXPECT_EQ(PositionBar::formatTime(t.ms), t.text) << t.ms;

    const struct {
        int x;
        qint64 length, at;
    } places[] = {{10, 30000, 0}, {5, 30000, 0}, {60, 30000, 15000}, {110, 30000, 30000},
                  {500, 30000, 30000}, {60, 0, 0}, {60, -1, 0}};
    for (const auto &p : places)
        EXPECT_EQ(PositionBar::positionAt(p.x, 10, 110, p.length), p.at) << p.x << " " << p.length;
}

TEST_F(Controls, DroppedSongsAndFoldersInOrder)
{
    const QString b = file("b.mp3"), a = file("a.mp3");
    writeTestFile(dir.filePath("notes.txt"), "一行字\n");
    file(".hidden.mp3");
    const QString sub1 = file("sub/x.m4a");
    file("sub/deeper/too-deep.mp3");
    const QString one = file("one/z.mp3");

    EXPECT_EQ(songFilesIn({b, dir.filePath("notes.txt"), a}), (QStringList{b, a}));
    EXPECT_EQ(songFilesIn({dir.path()}), (QStringList{a, b, one, sub1}));
    EXPECT_TRUE(songFilesIn({dir.filePath("missing.mp3")}).isEmpty());
}

TEST_F(Controls, DropOnTheMainWindow)
{
    // One file opens as the open-file command would, through a real drop.
    const QString a = file("a.mp3"), b = file("b.mp3");
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(a)});
    QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &drop);
    EXPECT_TRUE(drop.isAccepted());
    QTest::qWait(10);
    EXPECT_EQ(player.urls, QStringList{a});
    EXPECT_EQ(ctx.player.collection().entry(1).address, a);

    // Several make a new, unsaved local collection, named after the files.
    heldCollection(ctx.player).playing = true;
    EXPECT_TRUE(dropOnMainWindow(ctx.services.dialogs, ctx.player, {b, a}));
    EXPECT_EQ(heldCollection(ctx.player).count, 2);
    EXPECT_EQ(heldCollection(ctx.player).entry(1).songName, "b");
    EXPECT_EQ(heldCollection(ctx.player).entry(2).address, a);
    EXPECT_TRUE(heldCollection(ctx.player).entry(2).isLocal);
    EXPECT_EQ(heldCollection(ctx.player).albumName, "本地歌曲");
    EXPECT_FALSE(heldCollection(ctx.player).saved);
    EXPECT_FALSE(heldCollection(ctx.player).playing);
    EXPECT_EQ(refreshes, 1);

    // Beyond 100 the rest is left out, and the user is told how many.
    QStringList many;
    for (int i = 0; i < 103; ++i)
        many << file(QStringLiteral("many/%1.mp3").arg(i, 3, 10, QLatin1Char('0')));
    // The dropped list is the user's: replacing it asks first.
    EXPECT_TRUE(heldCollection(ctx.player).changed);
    dialogs.messageAnswers << Dialogs::Answer::Yes;
    EXPECT_TRUE(dropOnMainWindow(ctx.services.dialogs, ctx.player, {dir.filePath("many")}));
    EXPECT_EQ(heldCollection(ctx.player).count, 100);
    EXPECT_EQ(heldCollection(ctx.player).entry(100).address, many[99]);
    ASSERT_EQ(dialogs.count("message"), 2);
    EXPECT_EQ(dialogs.asked.first().text, "当前歌集尚未保存，是否舍去当前歌集？");
    EXPECT_EQ(dialogs.asked.last().text, "本地列表最多只能保存100首歌曲，有3首没有添加。");
}

TEST_F(Controls, DropOnTheSongListAddsEntries)
{
    heldCollection(ctx.player).entry(1) = {QStringLiteral("旧歌"), QStringLiteral("/music/old.mp3"), {}, true};
    heldCollection(ctx.player).count = 1;
    heldCollection(ctx.player).saved = true;
    const QString a = file("a.mp3");
    dropOnSongList(ctx.services.dialogs, ctx.player, {a, dir.filePath("nothing.txt")});
    EXPECT_EQ(heldCollection(ctx.player).count, 2);
    EXPECT_EQ(heldCollection(ctx.player).entry(1).songName, "旧歌");
    EXPECT_EQ(heldCollection(ctx.player).entry(2).songName, "a");
    EXPECT_FALSE(heldCollection(ctx.player).saved);
    EXPECT_EQ(refreshes, 1);
}
