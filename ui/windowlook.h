#pragma once
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

// A menu entry (or separator) added to a menu, menu bar or window under
// an objectName; returns it.
QAction *namedAction(QWidget *to, const char *objectName, const QString &text);
QAction *namedSeparator(QWidget *to, const char *objectName);

// Asks for the CJK font families (cjkFontFamilies()) in a window's font,
// keeping its size and weight.
void useCjkFont(QWidget *window);
