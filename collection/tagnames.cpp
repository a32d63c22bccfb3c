// SPDX-License-Identifier: GPL-3.0-or-later
#include "collection/tagnames.h"

#include "collection/tagreader.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHash>
#include <QLoggingCategory>
#include <QPointer>
#include <QThreadPool>

Q_LOGGING_CATEGORY(lcTagNames, "liravo.tags", QtInfoMsg)

TagNames tagNamesOf(const QString &path)
{
    // Only regular files are opened: a pipe or a device named like a song
    // (a playlist may name anything) would block the reading thread.
    const FileTags tags = QFileInfo(path).isFile() ? readFileTags(path, TagPart::Names) : FileTags{};
    TagNames out;
    out.songName = tags.title.isEmpty() ? fileNameWithoutExtension(path) : tags.title;
    // A path without a file name ("/") still names its entry: a nameless
    // one would be dropped by the song list's tidy.
    if (out.songName.isEmpty())
        out.songName = path;
    out.singer = tags.artist;
    return out;
}

void readTagNamesLater(const QStringList &paths, QObject *context,
                       std::function<void(const QStringList &, const QList<TagNames> &)> done)
{
    if (paths.isEmpty() || !context)
        return;
    // Looked at on the window thread only: the pool thread just carries it.
    QPointer<QObject> guard(context);
    QThreadPool::globalInstance()->start([paths, guard, done = std::move(done)]() mutable {
        QElapsedTimer timer;
        timer.start();
        QList<TagNames> names;
        names.reserve(paths.size());
        for (const QString &path : std::as_const(paths))
            names << tagNamesOf(path);
        qCDebug(lcTagNames) << "read the names of" << paths.size() << "files in" << timer.elapsed() << "ms";
        // The application outlives the pool's work: it waits for it on exit.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [paths = std::move(paths), names = std::move(names), guard = std::move(guard),
             done = std::move(done)] {
                if (guard)
                    done(paths, names);
            },
            Qt::QueuedConnection);
    });
}

int fillTagNames(SongCollection &c, const QStringList &paths, const QList<TagNames> &names)
{
    QHash<QString, TagNames> byPath;
    for (qsizetype i = 0; i < paths.size() && i < names.size(); ++i)
        byPath.insert(paths.at(i), names.at(i));
    int changed = 0;
    for (int n = 1; n <= c.count; ++n) {
        SongEntry &e = c.entry(n);
        const auto found = byPath.constFind(e.address);
        if (!e.isLocal || found == byPath.constEnd())
            continue;
        if (!e.singer.isEmpty() || e.songName != fileNameWithoutExtension(e.address))
            continue;
        if (e.songName == found->songName && e.singer == found->singer)
            continue;
        e.songName = found->songName;
        e.singer = found->singer;
        ++changed;
    }
    return changed;
}
