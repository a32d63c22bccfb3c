// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/settings.h"
#include "base/settingskeys.h"
#include "lyrics/lyricsdocument.h"
#include "lyrics/lyricstracker.h"
#include "store/memorysettingsbackend.h"
#include "windows/desktoplyrics.h"
#include "windows/lyricswindow.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QListWidget>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

namespace {

QString lines(int n)
{
    QString s;
    for (int i = 0; i < n; ++i)
        s += QStringLiteral("[00:%1.00]第%2行\n[00:%1.00]line %2\n").arg(i, 2, 10, QLatin1Char('0')).arg(i);
    return s;
}

struct Fixture {
    MemorySettingsBackend backend;
    Settings settings{backend, QStringLiteral("Liravo")};
    qint64 clock = 0;
    LyricsTracker tracker{[this] { return clock; }};
};

TEST(LyricsWindow, ShowsWhyThereAreNoLyrics)
{
    Fixture f;
    LyricsWindow w(f.tracker, f.settings);
    EXPECT_EQ(w.objectName(), QStringLiteral("f_歌词"));
    auto visibleText = [&w] {
        for (QLabel *l : w.findChildren<QLabel *>())
            if (l->isVisibleTo(&w))
                return l->text();
        return QString();
    };
    w.show();
    EXPECT_EQ(visibleText(), QStringLiteral("暂无歌词"));
    f.tracker.setDocument(parseLyricsBytes(QByteArray(kMaxLyricsBytes + 1, 'x')));
    EXPECT_EQ(visibleText(), QStringLiteral("歌词文件过大，未能显示"));
    f.tracker.setDocument(parseLyrics(lines(3)));
    EXPECT_TRUE(visibleText().isEmpty()) << "the lines are shown instead";
}

TEST(LyricsWindow, ClickingATimedLineAsksToSeekThere)
{
    Fixture f;
    LyricsWindow w(f.tracker, f.settings);
    w.resize(300, 400);
    w.show();
    QSignalSpy seeks(&w, &LyricsWindow::seekRequested);
    auto *list = w.findChild<QListWidget *>();
    auto clickLine = [&](int line) {
        QListWidgetItem *item = nullptr;
        for (int i = 0; i < list->count(); ++i)
            if (list->item(i)->text() == QStringLiteral("第%1行").arg(line))
                item = list->item(i);
        ASSERT_TRUE(item);
        list->scrollToItem(item);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
    };
    f.tracker.setDocument(parseLyrics(lines(5)));
    clickLine(3);
    ASSERT_EQ(seeks.size(), 1);
    EXPECT_EQ(seeks.at(0).at(0).toLongLong(), 3000);

    f.tracker.setDocument(parseLyrics(QStringLiteral("第1行\n第2行")));
    clickLine(2);
    EXPECT_EQ(seeks.size(), 1) << "static text has no times to seek to";
}

TEST(LyricsWindow, ScrollingByHandStopsFollowingForAWhile)
{
    Fixture f;
    LyricsWindow w(f.tracker, f.settings);
    w.resize(300, 300);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    auto *list = w.findChild<QListWidget *>();
    f.tracker.setDocument(parseLyrics(lines(60)));
    QScrollBar *bar = list->verticalScrollBar();

    f.tracker.seeked(30000);
    const int followed = bar->value();
    EXPECT_GT(followed, 0) << "the current line is scrolled to the middle";

    QWheelEvent wheel(QPointF(50, 50), list->viewport()->mapToGlobal(QPointF(50, 50)), {}, {0, 240},
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(list->viewport(), &wheel);
    const int byHand = bar->value();
    ASSERT_NE(byHand, followed) << "the wheel scrolled";
    f.tracker.seeked(40000);
    EXPECT_EQ(bar->value(), byHand) << "a line change right after does not scroll back";

    // Once the pause is over the window follows again.
    f.tracker.seeked(50000);
    QTest::qWait(LyricsWindow::kHandScrollPauseMs + 300);
    EXPECT_GT(bar->value(), followed) << "following resumed after the pause";
}

TEST(DesktopLyrics, ShowsOnlyWhileOnAndPlaying)
{
    Fixture f;
    DesktopLyrics d(f.tracker, f.settings);
    EXPECT_TRUE(d.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(d.testAttribute(Qt::WA_TranslucentBackground));
    struct Step {
        bool on, playing, visible;
    };
    const Step steps[] = {{false, true, false}, {true, true, true}, {true, false, false},
                          {true, true, true}, {false, true, false}};
    for (const Step &s : steps) {
        d.setSwitchedOn(s.on);
        f.tracker.setPlaying(s.playing);
        EXPECT_EQ(d.isVisible(), s.visible) << s.on << s.playing;
    }
}

TEST(DesktopLyrics, RemembersLockSizeColourAndPlace)
{
    Fixture f;
    f.tracker.setPlaying(true);
    {
        DesktopLyrics d(f.tracker, f.settings);
        d.setSwitchedOn(true);
        ASSERT_TRUE(d.isVisible());
        EXPECT_FALSE(d.windowFlags() & Qt::WindowTransparentForInput);
        // Dragged by the mouse while unlocked.
        const QPoint start = d.pos();
        QTest::mousePress(&d, Qt::LeftButton, {}, QPoint(20, 20));
        QMouseEvent move(QEvent::MouseMove, QPointF(20, 20), QPointF(d.mapToGlobal(QPoint(60, 50))),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&d, &move);
        QTest::mouseRelease(&d, Qt::LeftButton, {}, d.mapFromGlobal(d.mapToGlobal(QPoint(20, 20))));
        EXPECT_EQ(d.pos(), start + QPoint(40, 30));
        d.setLocked(true);
        EXPECT_TRUE(d.windowFlags() & Qt::WindowTransparentForInput) << "clicks pass through";
        EXPECT_TRUE(d.isVisible()) << "locking does not hide it";
        const int defaultHeight = d.height();
        d.setFontSize(1000);
        EXPECT_GT(d.height(), defaultHeight) << "the window grows with the text";
        d.setTextColor(QColor(10, 20, 30));
    }
    EXPECT_EQ(f.settings.number(SettingKeys::desktopLyricsFontSize), DesktopLyrics::kMaxFontPx);
    EXPECT_EQ(f.settings.number(SettingKeys::desktopLyricsColor), 10 | 20 << 8 | 30 << 16);
    EXPECT_EQ(f.settings.value(SettingKeys::desktopLyricsShown), QStringLiteral("True"));
    DesktopLyrics again(f.tracker, f.settings);
    EXPECT_TRUE(again.isVisible());
    EXPECT_TRUE(again.isLocked());
    EXPECT_TRUE(again.windowFlags() & Qt::WindowTransparentForInput);
    MemorySettingsBackend freshBackend;
    Settings fresh(freshBackend, QStringLiteral("Liravo"));
    DesktopLyrics atDefault(f.tracker, fresh);
    EXPECT_GT(again.height(), atDefault.height()) << "the stored font size is used";
    EXPECT_EQ(f.settings.number(SettingKeys::desktopLyricsX), again.pos().x());
    EXPECT_EQ(f.settings.number(SettingKeys::desktopLyricsY), again.pos().y());
}

} // namespace
