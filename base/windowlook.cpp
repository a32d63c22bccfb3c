#include "base/windowlook.h"

#include "base/colors.h"

#include <QFont>
#include <QWidget>

QRect twips(int left, int top, int width, int height)
{
    return QRect(left / 15, top / 15, width / 15, height / 15);
}

void useCjkFont(QWidget *window)
{
    QFont f = window->font();
    f.setFamilies(cjkFontFamilies());
    window->setFont(f);
}
