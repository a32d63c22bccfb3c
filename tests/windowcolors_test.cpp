// SPDX-License-Identifier: GPL-3.0-or-later
// Every text on a window's own back colour stays readable whatever colour the
// user stored: the windows are rendered and the pixels of each text checked.
#include "ui/colors.h"
#include "windows/mainwindow.h"
#include "windows/mainviewmodel.h"
#include "support/fakeservices.h"
#include "windows/scanwindow.h"
#include "windows/updaterwindow.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QImage>
#include <QLayout>
#include <QStyle>
#include <functional>
#include <memory>

namespace {

// The largest brightness difference between any pixel of the child's area and
// the back colour.
int strongestContrast(QWidget *window, const QString &child, const QColor &back)
{
    QWidget *w = window->findChild<QWidget *>(child);
    if (!w)
        return -1;
    // The area in the window's coordinates, once the window is laid out: a
    // label of the main window sits in the client area, below a menu bar as
    // tall as the desktop's font makes it (a CJK font is taller than most).
    if (window->layout())
        window->layout()->activate();
    QRect area(w->mapTo(window, QPoint(0, 0)), w->size());
    // A check box's own square is drawn in the style's colours; only its
    // caption stands on the back colour.
    if (qobject_cast<QCheckBox *>(w))
        area.setLeft(area.left() + w->style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, w)
                     + w->style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, w));
    const QImage img = window->grab(area).toImage();
    const int backY = qGray(back.rgb());
    int best = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            best = qMax(best, qAbs(qGray(img.pixel(x, y)) - backY));
    return best;
}

TEST(WindowColors, TextsOnTheBackColourAreReadableForEveryStoredColour)
{
    struct Window {
        const char *name;
        std::function<QWidget *(AppContext &)> make;
        QStringList texts;
    };
    const std::vector<Window> windows = {
        {"updater", [](AppContext &c) {
             Services &s = c.services;
             return new UpdaterWindow(s.settings, s.dialogs, s.downloader, s.launcher, c.windows());
         },
         {QStringLiteral("Label1"), QStringLiteral("Label2")}},
        {"scan", [](AppContext &c) {
             return new ScanWindow(c.services.settings, c.services.dialogs, c.session, c.player, c.windows());
         }, {QStringLiteral("Check1")}},
        // The greyed buttons: nothing plays and there is nothing before or after.
        {"main",
         [](AppContext &c) {
             auto *w = new MainWindow(c);
             c.player.tick();
             return w;
         },
         {QStringLiteral("Label1_0"), QStringLiteral("Label1_4"), QStringLiteral("Label1_5")}},
    };
    // Black (the default), white, light and mid grey, pure red, dark blue.
    for (qint32 stored : {0, 0xFFFFFF, 0xBEBEBE, 0x808080, 0x0000FF, 0x800000}) {
        FakeServices fx;
        if (stored != 0)
            storeEntry(fx.settings, fx.settings.programAppName(), QStringLiteral("设置"),
                             QStringLiteral("背景颜色"), QString::number(stored));
        const QColor back = colorFromValue(stored);
        for (const Window &win : windows) {
            std::unique_ptr<QWidget> w(win.make(fx.ctx));
            for (const QString &text : win.texts)
                EXPECT_GE(strongestContrast(w.get(), text, back), 90)
                    << win.name << " " << qPrintable(text) << " on " << stored;
        }
    }
}

} // namespace
