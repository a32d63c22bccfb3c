// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QFont>
#include <QRect>
#include <QString>
#include <QWidget>

class QAction;

// The windows' layouts are given in twips, 15 to the pixel at 96 dots per
// inch; these turn them into pixels, rounding to the nearest.
int twipsToPixels(int twips);
QRect twips(int left, int top, int width, int height);

// Names a control and puts it at its place, given in twips; returns it.
template <typename Control>
Control *placed(Control *control, const QString &objectName, int left, int top, int width,
                int height)
{
    control->setObjectName(objectName);
    control->setGeometry(twips(left, top, width, height));
    return control;
}

// The set-up every fixed-size window shares: its objectName, caption, the
// CJK font and its size in twips.
void setUpFixedWindow(QWidget *window, const QString &objectName, const QString &caption,
                      int widthTwips, int heightTwips);

// Takes the maximise button off a window whose size is fixed (the desktop
// would otherwise offer to maximise a window that cannot grow); minimise and
// close stay.
void dropMaximizeButton(QWidget *window);

// The width a window needs for the desktop to show its whole caption in
// font: the text, the icon and the frame's buttons.
int widthForCaption(const QString &caption, const QFont &font);

// Where a window with the frame `frame` goes so that it lies on `available`
// (its screen's available area, at whatever scale): moved in by as little as
// needs be; a frame larger than the area keeps its top-left corner on it.
QPoint keptOnScreen(const QRect &frame, const QRect &available);
// Moves a shown window so that its frame lies on its screen's available area.
void keepOnScreen(QWidget *window);

// A menu entry (or separator) added to a menu, menu bar or window under
// an objectName; returns it.
QAction *namedAction(QWidget *to, const char *objectName, const QString &text);
QAction *namedSeparator(QWidget *to, const char *objectName);

// Asks for the CJK font families (cjkFontFamilies()) in a window's font,
// keeping its size and weight.
void useCjkFont(QWidget *window);
