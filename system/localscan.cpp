#include "system/localscan.h"

#include "collection/audioformats.h"

#include <QDir>
#include <QDirIterator>

namespace {

// Appends the matching files directly inside `folder`; false once the list is full.
bool scanFiles(SongCollection &scanList, const QString &folder, int &added)
{
    if (scanList.isFull())
        return false;
    // QDirIterator streams the directory as readdir returns it; QDir::entryList
    // would read and sort the whole folder before we could stop.
    QDirIterator it(folder, QDir::Files | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        const QString path = it.next();
        if (!isAudioFile(path))
            continue;
        SongEntry &e = scanList.entry(scanList.count + 1);
        e = SongEntry{};
        e.address = path;
        e.isLocal = true;
        ++scanList.count;
        ++added;
        if (scanList.isFull())
            return false;
    }
    return true;
}

} // namespace

int scanFolder(SongCollection &scanList, const QString &folder)
{
    int added = 0;
    if (folder.isEmpty())
        return 0;
    if (!scanFiles(scanList, folder, added))
        return added;
    QDirIterator dirs(folder, QDir::Dirs | QDir::NoDotAndDotDot);
    while (dirs.hasNext()) {
        if (!scanFiles(scanList, dirs.next(), added))
            break;
    }
    return added;
}

bool allSelected(int selectedCount, int itemCount)
{
    return selectedCount >= itemCount;
}

int addPicksToLocalList(SongCollection &localList, const SongCollection &scanList,
                        const QList<int> &selectedRows)
{
    int leftOut = 0;
    for (int row : selectedRows) {
        if (row < 0 || row >= scanList.count)
            continue;
        if (localList.isFull()) {
            ++leftOut;
            continue;
        }
        ++localList.count;
        localList.entry(localList.count) = scanList.entry(row + 1);
        localList.albumName = localAlbumName();
        localList.saved = false;
        localList.changed = true;
        localList.playing = false;
        localList.currentIndex = 1;
    }
    return leftOut;
}
