// SPDX-License-Identifier: GPL-3.0-or-later
#include "playback/filedrops.h"

#include "collection/audioformats.h"
#include "collection/tagnames.h"
#include "base/songcollection.h"
#include "desktop/dialogs.h"
#include "playback/player.h"

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

// Appends each file as a local entry, named by its tags when it is one of a
// few (else after its file, and `later` lists it for reading off the window
// thread); returns how many did not fit.
int appendSongFiles(SongCollection &c, const QStringList &files, QStringList &later)
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
    for (int n = 1; n <= added.count; ++n) {
        SongEntry &e = added.entry(n);
        if (added.count <= kTagNamesOnTheSpot) {
            const TagNames names = tagNamesOf(e.address);
            e.songName = names.songName;
            e.singer = names.singer;
        } else {
            later << e.address;
        }
        c.entry(++c.count) = e;
    }
    if (added.count > 0) {
        // Songs the user dropped are the user's work, like a scan's list.
        c.saved = false;
        c.changed = true;
    }
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

bool dropOnMainWindow(Dialogs &dialogs, Player &player, const QStringList &paths)
{
    if (paths.size() == 1 && QFileInfo(paths.first()).isFile()) {
        player.playFile(paths.first());
        return false;
    }
    const QStringList files = songFilesIn(paths);
    if (files.isEmpty() || !player.mayReplaceCollection())
        return false;
    SongCollection c;
    QStringList later;
    const int leftOut = appendSongFiles(c, files, later);
    c.albumName = localAlbumName();
    c.currentIndex = 1;
    player.replaceCollection(c);
    nameByTagsLater(player, later);
    tellLeftOut(dialogs, QStringLiteral("本地列表最多只能保存%1首歌曲，有%2首没有添加。"), leftOut);
    return true;
}

void dropOnSongList(Dialogs &dialogs, Player &player, const QStringList &paths)
{
    int leftOut = 0;
    QStringList later;
    const QStringList files = songFilesIn(paths);
    player.editCollection([&](SongCollection &c) { leftOut = appendSongFiles(c, files, later); });
    nameByTagsLater(player, later);
    tellLeftOut(dialogs, QStringLiteral("当前歌集最多只能保存%1首歌曲，有%2首没有添加。"), leftOut);
}

void nameByTagsLater(Player &player, const QStringList &paths)
{
    readTagNamesLater(paths, &player, [&player](const QStringList &read, const QList<TagNames> &names) {
        // Nothing left to name (the list was replaced or renamed meanwhile)
        // leaves the collection and its views alone.
        SongCollection probe = player.collection();
        if (fillTagNames(probe, read, names) > 0)
            player.editCollection([&](SongCollection &c) { fillTagNames(c, read, names); });
    });
}
