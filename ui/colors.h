// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QColor>

class QWidget;
class Settings;

// Colours are stored as one 32-bit number with red in the low byte, then
// green, then blue (255 is pure red, 16777215 white).
QColor colorFromValue(qint32 value);
qint32 valueFromColor(const QColor &color);

// Black or white, whichever reads better on back.
QColor textColorOn(const QColor &back);
// The look of disabled text on back: three quarters of the way from back to
// textColorOn(back).
QColor dimTextOn(const QColor &back);
// color where it stands out from back, else dimTextOn(back).
QColor readableOn(const QColor &color, const QColor &back);

// Gives a window the back colour the user chose (the "背景颜色" entry), and
// its labels a text colour that reads on it.
void applyBackColor(QWidget *window, qint32 value);
// Reads "背景颜色" (executable's application name, default 0) and applies it:
// what every window but the main one does when it is loaded.
void applyStoredBackColor(QWidget *window, Settings &settings);

// The font families every window asks for, so Latin and Chinese glyphs come
// from one CJK font wherever SimSun itself is missing.
QStringList cjkFontFamilies();
