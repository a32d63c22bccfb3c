#include "app/windowhub.h"

#include "platform/appcontext.h"
#include "app/mainwindow.h"
#include "app/playercontroller.h"
#include "base/windowlook.h"
#include "platform/trayicon.h"

#include <QApplication>

#include <utility>

#include "collection/songlistwindow.h"
#include "online/searchwindow.h"
#include "system/scanwindow.h"
#include "system/updaterwindow.h"

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

WindowHub::WindowHub(AppContext &ctx, QObject *parent) : QObject(parent), ctx_(ctx)
{
    ctx_.navigator = this;
}

WindowHub::~WindowHub()
{
    for (QPointer<QWidget> *slot : {&songList_, &search_, &scan_, &updater_})
        delete slot->data();
    // Whatever asks for the main window while it goes finds none.
    delete std::exchange(main_, nullptr);
    if (ctx_.navigator == this)
        ctx_.navigator = nullptr;
}

QWidget *WindowHub::existingMainWindow() { return main_; }
SongListWindow *WindowHub::songList()
{
    return ensure<SongListWindow>(songList_, ctx_.services, ctx_.session, *this);
}

void WindowHub::refreshSongList() { songList()->refreshList(); }
void WindowHub::showSongList() { showWindow(songList()); }
void WindowHub::closeSongList() { closeIfOpen(songList_); }
void WindowHub::showSearchWindow()
{
    showWindow(ensure<SearchWindow>(search_, ctx_.services, ctx_.session, *this));
}
void WindowHub::closeSearchWindow() { closeIfOpen(search_); }

void WindowHub::showScanWindow()
{
    Services &s = ctx_.services;
    showWindow(ensure<ScanWindow>(scan_, s.settings, s.dialogs, ctx_.session, *this));
}

void WindowHub::showUpdaterWindow()
{
    Services &s = ctx_.services;
    showWindow(ensure<UpdaterWindow>(updater_, s.settings, s.dialogs, s.downloader, s.launcher, *this));
}

void WindowHub::playFile(const QString &path)
{
    mainWindow().controller().playFile(path);
}

void WindowHub::exitProgram()
{
    // Nothing is unloaded window by window: the program just ends.
    ctx_.services.tray.remove();
    QCoreApplication::exit(0);
}

bool WindowHub::collectionInUse()
{
    // Every dialog of the windows is modal, and a window's operation on the
    // collection (saving under a name, opening a file) waits in one of them.
    return QApplication::activeModalWidget() != nullptr;
}

MainWindow &WindowHub::mainWindow()
{
    if (!main_) {
        main_ = new MainWindow(ctx_);
        connect(&main_->controller(), &PlayerController::collectionReplaced, this, [this] {
            if (songList_)
                static_cast<SongListWindow *>(songList_.data())->refreshList();
        });
    }
    return *main_;
}

QWidget *WindowHub::songListWindow() const { return songList_; }
QWidget *WindowHub::searchWindow() const { return search_; }
QWidget *WindowHub::scanWindow() const { return scan_; }

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
