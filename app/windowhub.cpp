// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/windowhub.h"

#include "ui/appcontext.h"
#include "windows/mainwindow.h"
#include "windows/desktoplyrics.h"
#include "windows/lyricswindow.h"
#include "playback/player.h"
#include "desktop/trayicon.h"
#include "ui/windowlook.h"

#include <QApplication>
#include <QWindow>

#include <utility>

#include "windows/songlistwindow.h"
#include "windows/searchwindow.h"
#include "windows/scanwindow.h"
#include "windows/updaterwindow.h"

namespace {
template <typename W, typename... Parts>
W *ensure(QPointer<QWidget> &slot, Parts &...parts)
{
    if (!slot) {
        auto *w = new W(parts...);
        w->setAttribute(Qt::WA_DeleteOnClose);
        slot = w;
    }
    return static_cast<W *>(slot.data());
}

void closeIfOpen(QPointer<QWidget> &slot)
{
    if (slot)
        slot->close();
}
} // namespace

WindowHub::WindowHub(AppContext &ctx, QObject *parent)
    : QObject(parent), ctx_(ctx), lyrics_([&ctx] { return ctx.player.position(); })
{
    // The lyrics follow the song that plays: found and read once per song,
    // then one timer aimed at the next line.
    Player &player = ctx_.player;
    connect(&player, &Player::currentChanged, &lyrics_, [this] {
        const SongCollection &c = ctx_.player.collection();
        const int n = c.currentIndex;
        lyrics_.setSong(n >= 1 && n <= c.count ? c.entry(n).address : QString());
    });
    connect(&player, &Player::stateChanged, &lyrics_,
            [this](PlayState s) { lyrics_.setPlaying(s == MediaPlayer::Playing); });
    connect(&player, &Player::seeked, &lyrics_, &LyricsTracker::seeked);
    ctx_.navigator = this;
    // Every dialog of the windows is modal, and a window's operation on the
    // collection (saving under a name, opening a file) waits in one of them:
    // the playback tick leaves the collection alone meanwhile.
    ctx_.player.setCollectionInUse([] { return QApplication::activeModalWidget() != nullptr; });
}

WindowHub::~WindowHub()
{
    for (QPointer<QWidget> *slot : {&songList_, &search_, &scan_, &updater_})
        delete slot->data();
    // Whatever asks for the main window while it goes finds none.
    delete lyricsWindow_.data();
    delete std::exchange(desktopLyrics_, nullptr);
    delete std::exchange(main_, nullptr);
    if (ctx_.navigator == this)
        ctx_.navigator = nullptr;
}

QWidget *WindowHub::existingMainWindow() { return main_; }
SongListWindow *WindowHub::songList()
{
    return ensure<SongListWindow>(songList_, ctx_.services, ctx_.player, *this);
}

void WindowHub::showSongList() { showWindow(songList()); }
void WindowHub::closeSongList() { closeIfOpen(songList_); }
void WindowHub::showSearchWindow()
{
    showWindow(ensure<SearchWindow>(search_, ctx_.services, ctx_.session, ctx_.player, *this));
}
void WindowHub::closeSearchWindow() { closeIfOpen(search_); }

void WindowHub::showScanWindow()
{
    Services &s = ctx_.services;
    showWindow(ensure<ScanWindow>(scan_, s.settings, s.dialogs, ctx_.session, ctx_.player, *this));
}

void WindowHub::showUpdaterWindow()
{
    Services &s = ctx_.services;
    showWindow(ensure<UpdaterWindow>(updater_, s.settings, s.dialogs, s.downloader, s.launcher, *this));
}

void WindowHub::exitProgram()
{
    // Nothing is unloaded window by window: the program just ends.
    ctx_.services.tray.remove();
    QCoreApplication::exit(0);
}

MainWindow &WindowHub::mainWindow()
{
    if (!main_) {
        main_ = new MainWindow(ctx_);
        // Wayland lets no program place its windows, and sway puts every
        // window of a fixed size, and every child window, in the middle of
        // the screen, where the song list would cover the main window. So
        // there the song list stays an ordinary window and the main window
        // gives a pixel of room below its size: sway then tiles the two
        // side by side, the main window at its own size in the middle of
        // its half.
        if (QGuiApplication::platformName() == u"wayland")
            main_->setMinimumSize(main_->maximumSize() - QSize(1, 1));
        connect(main_, &MainWindow::lyricsRequested, this, &WindowHub::showLyricsWindow);
        desktopLyrics_ = new DesktopLyrics(lyrics_, ctx_.services.settings);
        auto sync = [this] {
            main_->showDesktopLyricsState(desktopLyrics_->isSwitchedOn(), desktopLyrics_->isLocked());
        };
        connect(main_, &MainWindow::desktopLyricsSwitched, desktopLyrics_, &DesktopLyrics::setSwitchedOn);
        connect(main_, &MainWindow::desktopLyricsLocked, desktopLyrics_, &DesktopLyrics::setLocked);
        connect(desktopLyrics_, &DesktopLyrics::switchedOnChanged, this, sync);
        connect(desktopLyrics_, &DesktopLyrics::lockedChanged, this, sync);
        sync();
    }
    return *main_;
}

void WindowHub::showLyricsWindow()
{
    if (!lyricsWindow_) {
        auto *w = new LyricsWindow(lyrics_, ctx_.services.settings);
        w->setAttribute(Qt::WA_DeleteOnClose);
        connect(w, &LyricsWindow::seekRequested, &ctx_.player, &Player::seek);
        lyricsWindow_ = w;
    }
    showWindow(lyricsWindow_);
}

void WindowHub::showWindow(QWidget *w)
{
    // The song list window places itself beside the main window when it loads.
    w->show();
    // Placed beside the main window, or where it was, it may reach past
    // the screen's edge, above all at a large scale.
    keepOnScreen(w);
    w->raise();
    w->activateWindow();
}
