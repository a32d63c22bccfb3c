// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "ui/navigator.h"

#include "lyrics/lyricstracker.h"

#include <QObject>
#include <QPointer>

struct AppContext;
class MainWindow;
class SongListWindow;
class QWidget;

// Owns the main window and makes every other window on first use. It is the
// context's navigator, so windows reach each other without including each
// other's headers. A closed window is deleted and made afresh when next asked
// for; the main window lives until the program ends.
class WindowHub : public QObject, public Navigator {
    Q_OBJECT
public:
    explicit WindowHub(AppContext &ctx, QObject *parent = nullptr);
    ~WindowHub() override;

    // Makes the main window (running its load sequence) on the first call.
    MainWindow &mainWindow();
    // The lyrics of what plays, followed as it plays.
    const LyricsTracker &lyrics() const { return lyrics_; }
    void showLyricsWindow();

    QWidget *existingMainWindow() override;
    void showSongList() override;
    void closeSongList() override;
    void showSearchWindow() override;
    void closeSearchWindow() override;
    void showScanWindow() override;
    void showUpdaterWindow() override;
    void exitProgram() override;

private:
    void showWindow(QWidget *w);
    // The song list window, made unshown on first use.
    SongListWindow *songList();

    AppContext &ctx_;
    MainWindow *main_ = nullptr;
    QPointer<QWidget> songList_;
    QPointer<QWidget> search_;
    QPointer<QWidget> scan_;
    QPointer<QWidget> updater_;
    QPointer<QWidget> lyricsWindow_;
    LyricsTracker lyrics_;
    class DesktopLyrics *desktopLyrics_ = nullptr;
};
