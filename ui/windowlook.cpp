#include "ui/windowlook.h"

#include "ui/colors.h"

#include <QAction>
#include <QFont>
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
