#include "core/colors.h"

#include "core/settings.h"

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

void applyBackColor(QWidget *window, qint32 value)
{
    QPalette pal = window->palette();
    pal.setColor(QPalette::Window, colorFromValue(value));
    window->setPalette(pal);
    window->setAutoFillBackground(true);
}

void applyStoredBackColor(QWidget *window, Settings &settings)
{
    const QString stored = settings.get(settings.exeApp(), QStringLiteral("设置"),
                                        QStringLiteral("背景颜色"), 0);
    applyBackColor(window, qint32(Settings::toInt(stored, 0)));
}

QStringList cjkFontFamilies()
{
    return {QStringLiteral("SimSun"), QStringLiteral("WenQuanYi Zen Hei")};
}
