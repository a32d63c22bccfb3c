#include "app/windowhub.h"

#include "platform/appcontext.h"
#include "app/mainwindow.h"
#include "app/playercontroller.h"
#include "platform/trayicon.h"

#include <QApplication>

#include "collection/songlistwindow.h"
#include "online/searchwindow.h"
#include "system/scanwindow.h"
#include "system/updaterwindow.h"

namespace {
template <typename W>
W *ensure(QPointer<QWidget> &slot, AppContext &ctx)
{
    if (!slot) {
        auto *w = new W(ctx);
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
    ctx_.playFile = [this](const QString &path) { mainWindow().controller().playFile(path); };
    ctx_.exitProgram = [this] {
        // Nothing is unloaded window by window: the program just ends.
        if (ctx_.tray)
            ctx_.tray->remove();
        QCoreApplication::exit(0);
    };
    ctx_.refreshSongList = [this] { ensure<SongListWindow>(songList_, ctx_)->refreshList(); };
    ctx_.showSongList = [this] { showWindow(ensure<SongListWindow>(songList_, ctx_)); };
    ctx_.closeSongList = [this] { closeIfOpen(songList_); };
    ctx_.showSearchWindow = [this] { showWindow(ensure<SearchWindow>(search_, ctx_)); };
    ctx_.closeSearchWindow = [this] { closeIfOpen(search_); };
    ctx_.showScanWindow = [this] { showWindow(ensure<ScanWindow>(scan_, ctx_)); };
    ctx_.showUpdaterWindow = [this] { showWindow(ensure<UpdaterWindow>(updater_, ctx_)); };
    // Every dialog of the windows is modal, and a window's operation on the
    // collection (saving under a name, opening a file) waits in one of them.
    ctx_.collectionInUse = [] { return QApplication::activeModalWidget() != nullptr; };
}

WindowHub::~WindowHub()
{
    for (QPointer<QWidget> *slot : {&songList_, &search_, &scan_, &updater_})
        delete slot->data();
    delete main_;
    ctx_.playFile = nullptr;
    ctx_.exitProgram = nullptr;
    ctx_.refreshSongList = ctx_.showSongList = ctx_.closeSongList = nullptr;
    ctx_.showSearchWindow = ctx_.closeSearchWindow = nullptr;
    ctx_.showScanWindow = ctx_.showUpdaterWindow = nullptr;
    ctx_.collectionInUse = nullptr;
}

MainWindow &WindowHub::mainWindow()
{
    if (!main_) {
        main_ = new MainWindow(ctx_);
        ctx_.mainWindow = main_;
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
QWidget *WindowHub::updaterWindow() const { return updater_; }

void WindowHub::showWindow(QWidget *w)
{
    // The song list window places itself beside the main window when it loads.
    w->show();
    w->raise();
    w->activateWindow();
}
