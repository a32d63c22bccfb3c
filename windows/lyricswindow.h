// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QTimer>
#include <QWidget>

class LyricsTracker;
class QLabel;
class QListWidget;
class QStackedWidget;
class Settings;

// "歌词": the whole text of the playing song's lyrics, the current line
// highlighted and kept in the middle, each translation under its line.
// Clicking a timed line asks to seek there; scrolling by hand stops the
// following for a few seconds. The tracker does the work; this only shows it.
class LyricsWindow : public QWidget {
    Q_OBJECT
public:
    LyricsWindow(LyricsTracker &tracker, Settings &settings, QWidget *parent = nullptr);

    static constexpr int kHandScrollPauseMs = 3000;

Q_SIGNALS:
    // The user clicked a line: play from its start.
    void seekRequested(qint64 ms);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showDocument();
    void showCurrent(int line);

    LyricsTracker &tracker_;
    QStackedWidget *pages_;
    QLabel *none_;
    QListWidget *list_;
    QTimer handPause_;
    int current_ = -1;
};
