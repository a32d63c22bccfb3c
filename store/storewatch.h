// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QFileSystemWatcher>
#include <QObject>
#include <QString>

// Tells when the settings database may have been written by another process:
// its file, its write-ahead log, or the folder holding them changed. The
// kernel reports the change (inotify), so nothing is read while nothing
// happens.
class StoreWatch : public QObject {
    Q_OBJECT
public:
    explicit StoreWatch(const QString &databasePath, QObject *parent = nullptr);

    // Whether the folder is watched; false when the system refused.
    bool watching() const { return !watcher_.directories().isEmpty(); }

Q_SIGNALS:
    void changed();

private:
    // Watches whichever of the files exist now; the log comes and goes.
    void rewatch();

    QFileSystemWatcher watcher_;
    QString database_;
};
