// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QColor>
#include <QPoint>
#include <QWidget>

class LyricsTracker;
class Settings;

// "桌面歌词": the current line large and the next one smaller, drawn with an
// outline straight on the desktop, above other windows. While unlocked it is
// dragged by the mouse and has a menu; "锁定" lets clicks pass through to
// what is under it, so unlocking comes from the player's own menus
// (setLocked). Shown only while it is switched on and a song plays. Its
// place, size, colour and lock are kept in the settings section "歌词".
class DesktopLyrics : public QWidget {
    Q_OBJECT
public:
    DesktopLyrics(LyricsTracker &tracker, Settings &settings, QWidget *parent = nullptr);

    bool isSwitchedOn() const { return on_; }
    bool isLocked() const { return locked_; }

    static constexpr int kMinFontPx = 16;
    static constexpr int kMaxFontPx = 96;

public Q_SLOTS:
    void setSwitchedOn(bool on); // "桌面歌词"
    void setLocked(bool locked); // "锁定"
    void setFontSize(int px);    // "字号"
    void setTextColor(const QColor &color); // "颜色"

Q_SIGNALS:
    void switchedOnChanged(bool on);
    void lockedChanged(bool locked);

protected:
    void paintEvent(QPaintEvent *) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void contextMenuEvent(QContextMenuEvent *e) override;

private:
    void updateShown();
    void fitSize();
    void placeFirstTime();

    LyricsTracker &tracker_;
    Settings &settings_;
    bool on_ = false;
    bool locked_ = false;
    int fontPx_ = 32;
    QColor color_;
    QPoint dragFrom_;
    bool dragging_ = false;
    bool placed_ = false;
};
