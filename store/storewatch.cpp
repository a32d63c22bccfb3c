// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/storewatch.h"

#include <QFileInfo>

StoreWatch::StoreWatch(const QString &databasePath, QObject *parent)
    : QObject(parent), database_(QFileInfo(databasePath).absoluteFilePath())
{
    watcher_.addPath(QFileInfo(database_).absolutePath());
    rewatch();
    auto onChange = [this] {
        rewatch(); // a replaced or removed file loses its watch
        Q_EMIT changed();
    };
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, onChange);
    connect(&watcher_, &QFileSystemWatcher::fileChanged, this, onChange);
}

void StoreWatch::rewatch()
{
    const QStringList watched = watcher_.files();
    for (const QString &f : {database_, QString(database_ + QLatin1String("-wal"))})
        if (!watched.contains(f) && QFileInfo::exists(f))
            watcher_.addPath(f);
}
