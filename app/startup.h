#pragma once
#include "liravo/version.h"

#include <QString>

struct AppContext;

// The start-up procedure, the main window's first activation and the
// single-copy rule. The two copies never talk to each other: a second copy
// leaves its file and a show request in the settings store ("程序多开") and
// ends; the running copy collects them on its playback tick.
class StartupProcedure {
public:
    static QString version() { return QString::fromLatin1(kLiravoVersion); }

    explicit StartupProcedure(AppContext &ctx);

    // Before the main window exists: records the version, remembers the last
    // collection if its file is still there, opens the introduction page on
    // the very first run.
    void run();
    // Runs once per process, on the main window's first activation. Returns
    // false when another copy runs: the file was handed over and the caller
    // has been told (the navigator's exitProgram) to end.
    bool firstActivation(qint64 windowHandle);
    // Returns false when another copy runs (after handing the file over and
    // removing the tray icon); true for the sole copy.
    bool enforceSingleInstance(qint64 windowHandle, const QString &file);

    // How long a second copy waits for the hand-off slot to be free.
    void setHandOffWait(int ms) { handOffWaitMs_ = ms; }

    const QString &lastCollectionPath() const { return lastCollectionPath_; }
    bool activatedOnce() const { return activatedOnce_; }

private:

    AppContext &ctx_;
    int handOffWaitMs_ = 4000;
    QString lastCollectionPath_;
    bool activatedOnce_ = false;
};
