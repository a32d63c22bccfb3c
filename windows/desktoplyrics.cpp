// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/desktoplyrics.h"

#include "ui/colors.h"
#include "base/settings.h"
#include "base/settingskeys.h"
#include "lyrics/lyricstracker.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>

#include <algorithm>

namespace {

constexpr int kMargin = 12;

// The presets the menu offers, as names and colours.
struct NamedColor {
    const char *name;
    QRgb rgb;
};
constexpr NamedColor kColors[] = {
    {"天蓝", 0xFF00D7FF}, {"金黄", 0xFFFFD200}, {"翠绿", 0xFF3CE65A},
    {"粉红", 0xFFFF78B4}, {"白色", 0xFFFFFFFF},
};

QFont lyricFont(int px)
{
    QFont f;
    f.setFamilies(cjkFontFamilies());
    f.setPixelSize(px);
    f.setBold(true);
    return f;
}

// Text filled in `fill` inside a stroke of the opposite brightness, so it
// reads on light and dark backgrounds alike.
void drawOutlined(QPainter &p, const QString &text, const QFont &font, const QRect &box,
                  const QColor &fill)
{
    if (text.isEmpty())
        return;
    const QFontMetrics fm(font);
    const QString shown = fm.elidedText(text, Qt::ElideRight, box.width());
    const int x = box.left() + (box.width() - fm.horizontalAdvance(shown)) / 2;
    const int y = box.top() + (box.height() + fm.ascent() - fm.descent()) / 2;
    QPainterPath path;
    path.addText(x, y, font, shown);
    QColor edge = textColorOn(fill);
    edge.setAlpha(220);
    p.strokePath(path, QPen(edge, qMax(2.0, font.pixelSize() / 9.0), Qt::SolidLine, Qt::RoundCap,
                            Qt::RoundJoin));
    p.fillPath(path, fill);
}

} // namespace

DesktopLyrics::DesktopLyrics(LyricsTracker &tracker, Settings &settings, QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint
                          | Qt::WindowDoesNotAcceptFocus),
      tracker_(tracker), settings_(settings)
{
    setObjectName(QStringLiteral("f_桌面歌词"));
    setWindowTitle(QStringLiteral("桌面歌词"));
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    fontPx_ = int(std::clamp<qint64>(settings_.number(SettingKeys::desktopLyricsFontSize), kMinFontPx, kMaxFontPx));
    color_ = colorFromValue(qint32(settings_.number(SettingKeys::desktopLyricsColor)));
    locked_ = settings_.flag(SettingKeys::desktopLyricsLocked);
    on_ = settings_.flag(SettingKeys::desktopLyricsShown);
    setWindowFlag(Qt::WindowTransparentForInput, locked_);
    fitSize();
    connect(&tracker_, &LyricsTracker::currentLineChanged, this, qOverload<>(&QWidget::update));
    connect(&tracker_, &LyricsTracker::documentChanged, this, qOverload<>(&QWidget::update));
    connect(&tracker_, &LyricsTracker::playingChanged, this, &DesktopLyrics::updateShown);
    updateShown();
}

void DesktopLyrics::setSwitchedOn(bool on)
{
    if (on == on_)
        return;
    on_ = on;
    settings_.store(SettingKeys::desktopLyricsShown, on ? QStringLiteral("True") : QStringLiteral("False"));
    updateShown();
    Q_EMIT switchedOnChanged(on);
}

void DesktopLyrics::setLocked(bool locked)
{
    if (locked == locked_)
        return;
    locked_ = locked;
    settings_.store(SettingKeys::desktopLyricsLocked, locked ? QStringLiteral("True") : QStringLiteral("False"));
    // Changing a window flag hides the window; it comes back as it was.
    const bool wasVisible = isVisible();
    setWindowFlag(Qt::WindowTransparentForInput, locked);
    if (wasVisible)
        show();
    update();
    Q_EMIT lockedChanged(locked);
}

void DesktopLyrics::setFontSize(int px)
{
    px = qBound(kMinFontPx, px, kMaxFontPx);
    if (px == fontPx_)
        return;
    fontPx_ = px;
    settings_.store(SettingKeys::desktopLyricsFontSize, QString::number(px));
    fitSize();
    update();
}

void DesktopLyrics::setTextColor(const QColor &color)
{
    if (!color.isValid() || color == color_)
        return;
    color_ = color;
    settings_.store(SettingKeys::desktopLyricsColor, QString::number(valueFromColor(color)));
    update();
}

void DesktopLyrics::updateShown()
{
    const bool show = on_ && tracker_.isPlaying();
    if (show && !isVisible()) {
        placeFirstTime();
        QWidget::show();
    } else if (!show && isVisible()) {
        hide();
    }
}

void DesktopLyrics::fitSize()
{
    const QFontMetrics big(lyricFont(fontPx_));
    const QFontMetrics small(lyricFont(fontPx_ * 2 / 3));
    const QScreen *s = screen();
    const int width = s ? s->availableGeometry().width() * 2 / 3 : 900;
    resize(width, big.height() + small.height() + 3 * kMargin);
}

void DesktopLyrics::placeFirstTime()
{
    if (placed_)
        return;
    placed_ = true;
    const qint64 x = settings_.number(SettingKeys::desktopLyricsX);
    const qint64 y = settings_.number(SettingKeys::desktopLyricsY);
    const QScreen *s = screen();
    const QRect area = s ? s->availableGeometry() : QRect(0, 0, 1280, 800);
    if (x < 0 || y < 0) {
        move(area.left() + (area.width() - width()) / 2, area.top() + area.height() * 4 / 5 - height() / 2);
        return;
    }
    // A place on a screen that is gone would keep the lyrics out of sight.
    move(int(std::clamp<qint64>(x, area.left(), qMax(area.left(), area.right() - width() / 2))),
         int(std::clamp<qint64>(y, area.top(), qMax(area.top(), area.bottom() - height() / 2))));
}

void DesktopLyrics::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    if (!locked_) {
        // A faint plate shows where to take hold of it.
        p.setPen(QColor(255, 255, 255, 70));
        p.setBrush(QColor(0, 0, 0, 60));
        p.drawRoundedRect(rect().adjusted(0, 0, -1, -1), 8, 8);
    }
    const LyricsDocument &doc = tracker_.document();
    const int line = tracker_.currentLine();
    QString now, next;
    if (doc.isEmpty()) {
        if (!tracker_.isLoading())
            now = doc.problem.isEmpty() ? QStringLiteral("暂无歌词") : doc.problem;
    } else if (!doc.synced) {
        now = doc.title.isEmpty() ? doc.lines.front().text : doc.title;
    } else {
        now = line >= 0 ? doc.lines[line].text : QString();
        if (line >= 0 && !doc.lines[line].translation.isEmpty())
            next = doc.lines[line].translation;
        else if (line + 1 < doc.lines.size())
            next = doc.lines[line + 1].text;
    }
    const QFont big = lyricFont(fontPx_);
    const QFont small = lyricFont(fontPx_ * 2 / 3);
    const int bigH = QFontMetrics(big).height();
    const QRect inner = rect().adjusted(kMargin, kMargin, -kMargin, -kMargin);
    drawOutlined(p, now, big, QRect(inner.left(), inner.top(), inner.width(), bigH), color_);
    QColor dim = color_;
    dim.setAlphaF(0.8f);
    drawOutlined(p, next, small,
                 QRect(inner.left(), inner.top() + bigH + kMargin, inner.width(), QFontMetrics(small).height()),
                 dim);
}

void DesktopLyrics::mousePressEvent(QMouseEvent *e)
{
    if (e->button() == Qt::LeftButton && !locked_) {
        dragging_ = true;
        dragFrom_ = e->globalPosition().toPoint() - frameGeometry().topLeft();
    }
}

void DesktopLyrics::mouseMoveEvent(QMouseEvent *e)
{
    if (dragging_)
        move(e->globalPosition().toPoint() - dragFrom_);
}

void DesktopLyrics::mouseReleaseEvent(QMouseEvent *e)
{
    if (e->button() != Qt::LeftButton || !dragging_)
        return;
    dragging_ = false;
    settings_.store(SettingKeys::desktopLyricsX, QString::number(x()));
    settings_.store(SettingKeys::desktopLyricsY, QString::number(y()));
}

void DesktopLyrics::contextMenuEvent(QContextMenuEvent *e)
{
    QMenu menu(this);
    menu.addAction(QStringLiteral("锁定"), this, [this] { setLocked(true); });
    menu.addAction(QStringLiteral("放大字号"), this, [this] { setFontSize(fontPx_ + 4); });
    menu.addAction(QStringLiteral("缩小字号"), this, [this] { setFontSize(fontPx_ - 4); });
    QMenu *colors = menu.addMenu(QStringLiteral("颜色"));
    for (const NamedColor &c : kColors) {
        QAction *a = colors->addAction(QString::fromUtf8(c.name), this,
                                       [this, rgb = c.rgb] { setTextColor(QColor::fromRgb(rgb)); });
        a->setCheckable(true);
        a->setChecked(QColor::fromRgb(c.rgb) == color_);
    }
    menu.addSeparator();
    menu.addAction(QStringLiteral("关闭桌面歌词"), this, [this] { setSwitchedOn(false); });
    menu.exec(e->globalPos());
}
