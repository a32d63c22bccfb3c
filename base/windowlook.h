#pragma once
#include <QRect>

class QWidget;

// A rectangle laid out in twips (15 to the pixel at 96 dots per inch), the
// unit the windows' layouts are given in.
QRect twips(int left, int top, int width, int height);

// Asks for the CJK font families (cjkFontFamilies()) in a window's font,
// keeping its size and weight.
void useCjkFont(QWidget *window);
