// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/positionbar.h"

#include "ui/colors.h"
#include "engine/mediaplayer.h"

#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

namespace {
constexpr int kMargin = 8;
constexpr int kTextWidth = 84;
} // namespace

QString PositionBar::formatTime(qint64 ms)
{
    if (ms < 0)
        return QStringLiteral("-:--");
    const qint64 s = ms / 1000;
    return QStringLiteral("%1:%2").arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0'));
}

qint64 PositionBar::positionAt(int x, int left, int right, qint64 length)
{
    if (length <= 0 || right <= left)
        return 0;
    const int clamped = qBound(left, x, right);
    return qint64(double(clamped - left) / double(right - left) * double(length) + 0.5);
}

PositionBar::PositionBar(MediaPlayer &player, QWidget *parent)
    : QWidget(parent), player_(player), timer_(new QTimer(this))
{
    setObjectName(QStringLiteral("positionBar"));
    QFont f;
    f.setFamilies(cjkFontFamilies());
    f.setPointSizeF(8.25);
    setFont(f);
    setCursor(Qt::PointingHandCursor);
    // It paints the window's colour under itself, so a repaint once a second
    // touches only the bar, never the window and labels behind it.
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Its own pace while a song plays, since the playback tick sleeps then:
    // one look as each shown second turns, the fill moving with it.
    timer_->setSingleShot(true);
    timer_->setTimerType(Qt::PreciseTimer);
    connect(timer_, &QTimer::timeout, this, &PositionBar::refresh);
    hide();
}

void PositionBar::refresh()
{
    const PlayState state = player_.playState();
    const bool open = state == MediaPlayer::Playing || state == MediaPlayer::Paused
                      || state == MediaPlayer::Buffering;
    const qint64 pos = open ? player_.position() : -1;
    const qint64 len = open ? player_.duration() : -1;
    const bool show = pos >= 0;
    if (show != isVisible())
        setVisible(show);
    if (show && state != MediaPlayer::Paused)
        timer_->start(int(1000 - pos % 1000) + kTurnMarginMs);
    else
        timer_->stop();
    if (!show)
        dragging_ = false;
    // Repainted only when the seconds shown or the filled part's width
    // change: each repaint costs the display server a round trip.
    if (pos / 1000 != pos_ / 1000 || len != len_ || filledWidth(pos, len) != filledWidth(pos_, len_)) {
        pos_ = pos;
        len_ = len;
        update();
    }
}

void PositionBar::setTextColor(const QColor &color)
{
    if (color == text_)
        return;
    text_ = color;
    update();
}

QString PositionBar::timeText() const
{
    return formatTime(shownPosition()) % QStringLiteral(" / ") % formatTime(len_);
}

int PositionBar::filledWidth(qint64 pos, qint64 len) const
{
    if (len <= 0)
        return 0;
    const qint64 at = qBound<qint64>(0, pos, len);
    return int(double(at) / double(len) * (trackRight() - kMargin));
}

int PositionBar::trackRight() const
{
    // The time keeps the same margin from the window's right border as the
    // track keeps from its left one.
    return width() - kMargin - kTextWidth - kMargin;
}

void PositionBar::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), parentWidget()->palette().color(QPalette::Window));
    const int mid = height() / 2;
    const int right = trackRight();
    QColor groove = text_;
    groove.setAlpha(70);
    p.fillRect(QRect(kMargin, mid - 2, right - kMargin, 4), groove);
    if (len_ > 0) {
        const int filled = filledWidth(shownPosition(), len_);
        p.fillRect(QRect(kMargin, mid - 2, filled, 4), text_);
        p.setBrush(text_);
        p.setPen(Qt::NoPen);
        p.drawEllipse(QPoint(kMargin + filled, mid), 4, 4);
    }
    p.setPen(text_);
    p.drawText(QRect(width() - kMargin - kTextWidth, 0, kTextWidth, height()),
               Qt::AlignRight | Qt::AlignVCenter,
               timeText());
}

void PositionBar::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || len_ <= 0)
        return;
    dragging_ = true;
    dragPos_ = positionAt(event->position().toPoint().x(), kMargin, trackRight(), len_);
    update();
}

void PositionBar::mouseMoveEvent(QMouseEvent *event)
{
    if (!dragging_)
        return;
    dragPos_ = positionAt(event->position().toPoint().x(), kMargin, trackRight(), len_);
    update();
}

void PositionBar::mouseReleaseEvent(QMouseEvent *event)
{
    if (!dragging_ || event->button() != Qt::LeftButton)
        return;
    dragging_ = false;
    Q_EMIT seekRequested(dragPos_);
    pos_ = dragPos_;
    update();
}
