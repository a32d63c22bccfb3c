// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QColor>
#include <QWidget>

class MediaPlayer;
class QTimer;

// A slim bar along the bottom of the main window: how far the current song
// has played, with "elapsed / total" at its right end. A click or a drag
// seeks. It shows only while a song is open (playing or paused).
class PositionBar : public QWidget {
    Q_OBJECT
public:
    static constexpr int kHeight = 16;
    // m:ss; minutes go on past 59.
    static QString formatTime(qint64 ms);
    // The place in a song of `length` ms that x marks on a track from
    // `left` to `right` (clamped to the ends).
    static qint64 positionAt(int x, int left, int right, qint64 length);

    PositionBar(MediaPlayer &player, QWidget *parent);

    // Re-reads the player: shows, hides and repaints as needed.
    void refresh();
    void setTextColor(const QColor &color);
    QColor textColor() const { return text_; }
    QString timeText() const;

Q_SIGNALS:
    void seekRequested(qint64 ms);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    // How long after a second turns the bar looks, so it sees the new one.
    static constexpr int kTurnMarginMs = 20;

    int trackRight() const;
    qint64 shownPosition() const { return dragging_ ? dragPos_ : pos_; }
    // Width of the filled part of the track for pos of len.
    int filledWidth(qint64 pos, qint64 len) const;

    MediaPlayer &player_;
    QTimer *timer_;
    QColor text_ = Qt::white;
    qint64 pos_ = -1;
    qint64 len_ = -1;
    qint64 dragPos_ = 0;
    bool dragging_ = false;
};
