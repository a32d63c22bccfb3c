#pragma once

class QString;
class QWidget;

// How a window reaches the others without knowing them. In the program the
// window hub implements it and makes each window on first use; tests use
// FakeNavigator (tests/support/fakes.h).
class Navigator {
public:
    virtual ~Navigator() = default;

    // The main window once it exists, else null.
    virtual QWidget *existingMainWindow() = 0;
    // The song list window's refreshList, loading the window unshown if needed.
    virtual void refreshSongList() = 0;
    virtual void showSongList() = 0;
    virtual void closeSongList() = 0;
    virtual void showSearchWindow() = 0;
    virtual void closeSearchWindow() = 0;
    virtual void showScanWindow() = 0;
    virtual void showUpdaterWindow() = 0;
    // The main window's playFile.
    virtual void playFile(const QString &path) = 0;
    // Removes the tray icon and ends the process.
    virtual void exitProgram() = 0;
    // True while a modal dialog or a window's own operation works on the
    // current collection; the playback tick then leaves it alone.
    virtual bool collectionInUse() = 0;
};
