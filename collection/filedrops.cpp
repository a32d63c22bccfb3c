#include "collection/filedrops.h"

#include "collection/audioformats.h"
#include "base/songcollection.h"
#include "base/navigator.h"
#include "base/session.h"
#include "platform/dialogs.h"

#include <QDir>
#include <QFileInfo>

namespace {
void addFolder(const QString &folder, QStringList &out, bool withSubfolders)
{
    const QDir dir(folder);
    for (const QFileInfo &f : dir.entryInfoList(QDir::Files, QDir::Name)) {
        if (isAudioFile(f.absoluteFilePath()))
            out << f.absoluteFilePath();
    }
    if (!withSubfolders)
        return;
    for (const QFileInfo &d : dir.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
        addFolder(d.absoluteFilePath(), out, false);
}

void tellLeftOut(Dialogs &dialogs, const QString &text, int leftOut)
{
    if (leftOut > 0)
        dialogs.messageBox(text.arg(SongCollection::kCapacity).arg(leftOut));
}

// Appends each file as a local entry named after it; returns how many did
// not fit.
int appendSongFiles(SongCollection &c, const QStringList &files)
{
    SongCollection added;
    for (const QString &file : files) {
        if (added.count + c.count >= SongCollection::kCapacity)
            break;
        SongEntry &e = added.entry(++added.count);
        e.address = file;
        e.isLocal = true;
    }
    nameLocalEntries(added);
    for (int n = 1; n <= added.count; ++n)
        c.entry(++c.count) = added.entry(n);
    if (added.count > 0)
        c.saved = false;
    return int(files.size()) - added.count;
}
} // namespace

QStringList songFilesIn(const QStringList &paths)
{
    QStringList out;
    for (const QString &path : paths) {
        const QFileInfo info(path);
        if (info.isDir())
            addFolder(info.absoluteFilePath(), out, true);
        else if (info.isFile() && isAudioFile(path))
            out << info.absoluteFilePath();
    }
    return out;
}

void dropOnMainWindow(Dialogs &dialogs, Session &session, Navigator &windows, const QStringList &paths)
{
    if (paths.size() == 1 && QFileInfo(paths.first()).isFile()) {
        windows.playFile(paths.first());
        return;
    }
    const QStringList files = songFilesIn(paths);
    if (files.isEmpty())
        return;
    SongCollection c;
    const int leftOut = appendSongFiles(c, files);
    c.albumName = localAlbumName();
    c.currentIndex = 1;
    session.current = c;
    tellLeftOut(dialogs, QStringLiteral("本地列表最多只能保存%1首歌曲，有%2首没有添加。"), leftOut);
    windows.refreshSongList();
    windows.showSongList();
}

void dropOnSongList(Dialogs &dialogs, Session &session, Navigator &windows, const QStringList &paths)
{
    const int leftOut = appendSongFiles(session.current, songFilesIn(paths));
    tellLeftOut(dialogs, QStringLiteral("当前歌集最多只能保存%1首歌曲，有%2首没有添加。"), leftOut);
    windows.refreshSongList();
}
