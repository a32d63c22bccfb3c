// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/windowlook.h"

#include "ui/colors.h"

#include <QAction>
#include <QFont>
#include <QFontMetrics>
#include <QScreen>
#include <QWidget>

int twipsToPixels(int twips)
{
    return qRound(twips / 15.0);
}

QRect twips(int left, int top, int width, int height)
{
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width),
                 twipsToPixels(height));
}

void setUpFixedWindow(QWidget *window, const QString &objectName, const QString &caption,
                      int widthTwips, int heightTwips)
{
    window->setObjectName(objectName);
    window->setWindowTitle(caption);
    useCjkFont(window);
    window->setFixedSize(twipsToPixels(widthTwips), twipsToPixels(heightTwips));
    dropMaximizeButton(window);
}

void dropMaximizeButton(QWidget *window)
{
    // Without CustomizeWindowHint Qt adds every button back.
    window->setWindowFlags((window->windowFlags() & ~Qt::WindowMaximizeButtonHint)
                           | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                           | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                           | Qt::WindowCloseButtonHint);
}

int widthForCaption(const QString &caption, const QFont &font)
{
    // Title bars draw their caption bold, in about the size of the window's
    // text; the icon, three buttons and the padding take some 140 pixels.
    QFont bold = font;
    bold.setBold(true);
    constexpr int kIconButtonsAndPadding = 140;
    return QFontMetrics(bold).horizontalAdvance(caption) + kIconButtonsAndPadding;
}

QPoint keptOnScreen(const QRect &frame, const QRect &available)
{
    if (!available.isValid())
        return frame.topLeft();
    int x = qMin(frame.x(), available.right() + 1 - frame.width());
    int y = qMin(frame.y(), available.bottom() + 1 - frame.height());
    x = qMax(x, available.left());
    y = qMax(y, available.top());
    return {x, y};
}

void keepOnScreen(QWidget *window)
{
    const QScreen *screen = window->screen();
    if (!screen)
        return;
    const QRect frame = window->frameGeometry();
    const QPoint to = keptOnScreen(frame, screen->availableGeometry());
    if (to != frame.topLeft())
        window->move(window->pos() + (to - frame.topLeft()));
}

QAction *namedAction(QWidget *to, const char *objectName, const QString &text)
{
    auto *action = new QAction(text, to);
    action->setObjectName(QString::fromUtf8(objectName));
    to->addAction(action);
    return action;
}

QAction *namedSeparator(QWidget *to, const char *objectName)
{
    QAction *action = namedAction(to, objectName, QString());
    action->setSeparator(true);
    return action;
}

void useCjkFont(QWidget *window)
{
    QFont f = window->font();
    f.setFamilies(cjkFontFamilies());
    window->setFont(f);
}
