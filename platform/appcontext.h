#pragma once
#include "base/songcollection.h"

#include <QString>
#include <functional>

class Settings;
class MediaPlayer;
class Dialogs;
class HttpClient;
class Browser;
class TrayIcon;
class InstanceLock;
class FileAssociation;
class Downloader;
class ProcessLauncher;
class QWidget;

// Everything the windows and modules share for the life of the process: the
// platform services (real ones in the app, doubles in tests), the current song
// collection, the lists the search and scan windows keep, and the few calls
// windows make on each other. Windows are created on first use by whoever
// fills the hooks (see app/windowhub.*), so no window includes another.
struct AppContext {
    Settings *settings = nullptr;
    MediaPlayer *player = nullptr;
    Dialogs *dialogs = nullptr;
    HttpClient *http = nullptr;
    Browser *browser = nullptr;
    TrayIcon *tray = nullptr;
    InstanceLock *instanceLock = nullptr;
    FileAssociation *fileAssociation = nullptr;
    Downloader *downloader = nullptr;
    ProcessLauncher *launcher = nullptr;

    // The current song collection.
    SongCollection current;
    // Kept for the life of the process, so reopened windows show the same.
    SongCollection searchResults;
    QString searchText;             // the words of the last online search
    SongCollection scanList;
    SongCollection localList;

    // resolveMp3Address as playEntry calls it.
    AddressResolver resolver;

    // Everything after the program name on the command line, as one string.
    QString commandLine;

    // Calls between windows.
    QWidget *mainWindow = nullptr;
    std::function<void()> refreshSongList;      // refreshList; loads the song list window unshown
    std::function<void()> showSongList;
    std::function<void()> closeSongList;
    std::function<void()> showSearchWindow;
    std::function<void()> closeSearchWindow;
    std::function<void()> showScanWindow;
    std::function<void()> showUpdaterWindow;
    std::function<void(const QString &)> playFile; // the main window's playFile
    std::function<void()> exitProgram;          // removes the tray icon and ends the process
    // True while a modal dialog or a window's own operation works on the
    // current collection; the playback tick then leaves the collection alone.
    std::function<bool()> collectionInUse;

};
