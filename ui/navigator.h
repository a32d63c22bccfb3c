// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QString;
class QWidget;

// How a window opens and closes the others without knowing them; what they
// show comes from the Player, never from one window refreshing another. In the program the
// window hub implements it and makes each window on first use; tests use
// FakeNavigator (tests/support/fakes.h).
class Navigator {
public:
    virtual ~Navigator() = default;

    // The main window once it exists, else null.
    virtual QWidget *existingMainWindow() = 0;
    virtual void showSongList() = 0;
    virtual void closeSongList() = 0;
    virtual void showSearchWindow() = 0;
    virtual void closeSearchWindow() = 0;
    virtual void showScanWindow() = 0;
    virtual void showUpdaterWindow() = 0;
    // Removes the tray icon and ends the process.
    virtual void exitProgram() = 0;
};
