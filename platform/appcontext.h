#pragma once
#include "base/navigator.h"
#include "base/songcollection.h"

#include <QString>

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

// Everything the windows and modules share for the life of the process: the
// platform services (real ones in the app, doubles in tests), the current song
// collection, the lists the search and scan windows keep, and the navigator
// through which windows reach each other (app/windowhub.* makes each window on
// first use), so no window includes another.
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

    // How windows reach each other; while none is set, their calls do nothing.
    Navigator *navigator = nullptr;
    Navigator &windows() const { return navigator ? *navigator : Navigator::none(); }
};
