// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/colors.h"

#include "base/settings.h"
#include "base/settingskeys.h"

#include <QPalette>
#include <QStringList>
#include <QWidget>

QColor colorFromValue(qint32 value)
{
    const quint32 v = static_cast<quint32>(value);
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

qint32 valueFromColor(const QColor &color)
{
    const QColor rgb = color.toRgb();
    return qint32(quint32(rgb.red()) | (quint32(rgb.green()) << 8) | (quint32(rgb.blue()) << 16));
}

QColor textColorOn(const QColor &back)
{
    // Perceived brightness: green counts most, blue least.
    const int y = (299 * back.red() + 587 * back.green() + 114 * back.blue()) / 1000;
    return y >= 128 ? QColor(Qt::black) : QColor(Qt::white);
}

QColor readableOn(const QColor &color, const QColor &back)
{
    if (qAbs(qGray(color.rgb()) - qGray(back.rgb())) >= 96)
        return color;
    return dimTextOn(back);
}

QColor dimTextOn(const QColor &back)
{
    const QColor text = textColorOn(back);
    return QColor((3 * text.red() + back.red()) / 4, (3 * text.green() + back.green()) / 4,
                  (3 * text.blue() + back.blue()) / 4);
}

void applyBackColor(QWidget *window, qint32 value)
{
    const QColor back = colorFromValue(value);
    const QColor text = textColorOn(back);
    QPalette pal = window->palette();
    pal.setColor(QPalette::Window, back);
    // Labels and check boxes draw on the back colour; the desktop's own text
    // colour may be the same as the colour the user chose (black on black).
    // Widgets that paint their own base (lists, edits, buttons) keep theirs.
    pal.setColor(QPalette::Active, QPalette::WindowText, text);
    pal.setColor(QPalette::Inactive, QPalette::WindowText, text);
    pal.setColor(QPalette::Disabled, QPalette::WindowText, dimTextOn(back));
    window->setPalette(pal);
    window->setAutoFillBackground(true);
}

void applyStoredBackColor(QWidget *window, Settings &settings)
{
    applyBackColor(window, qint32(settings.number(SettingKeys::backColor)));
}

QStringList cjkFontFamilies()
{
    return {QStringLiteral("SimSun"), QStringLiteral("WenQuanYi Zen Hei")};
}
