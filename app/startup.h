// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "collection/sessionfile.h"
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

    // Before the main window exists: records the version, reads where the
    // user left off (sessionPath) unless "设置"/"启动时" says "不恢复",
    // remembers the last collection if its file is still there, opens the
    // introduction page on the very first run.
    void run(const QString &sessionPath = sessionFilePath());
    // The single-copy rule, before any window or tray icon exists. Returns
    // true when another copy runs: the file was handed over (or the user was
    // told why not) and this copy is to end without showing anything.
    bool handOverToRunningCopy(const QString &file);
    // Runs once per process, on the main window's first activation: this
    // copy becomes the running one, takes a waiting hand-off or its own file,
    // reopens where the user left off (or else the last collection) and
    // shows the song list.
    void firstActivation(qint64 windowHandle);
    bool activatedOnce() const { return activatedOnce_; }

private:
    // Plays this copy's own file, or else a hand-off that no copy took.
    void takeOver(const QString &file);

    AppContext &ctx_;
    // How long a second copy waits for the hand-off slot to be free.
    static constexpr int kHandOffWaitMs = 4000;
    QString lastCollectionPath_;
    SessionLoad session_;
    bool activatedOnce_ = false;
};
