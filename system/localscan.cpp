// SPDX-License-Identifier: GPL-3.0-or-later
#include "system/localscan.h"

#include "collection/audioformats.h"

#include <QDir>
#include <QDirIterator>

#include <QCollator>
#include <algorithm>

namespace {

const QCollator &chineseCollator()
{
    static const QCollator collator = [] {
        QCollator c(QLocale(QLocale::Chinese, QLocale::China));
        c.setNumericMode(true);
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    return collator;
}

// The entries of folder passing `keep`, unsorted (streamed as readdir gives them).
QStringList namesIn(const QString &folder, QDir::Filters filters,
                    bool (*keep)(const QString &name))
{
    QStringList names;
    QDirIterator it(folder, filters | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        if (!keep || keep(it.fileName()))
            names << it.fileName();
    }
    return names;
}

// Appends the first audio files directly inside `folder` in name order, as
// many as the list has room for; true when some were left out for want of room.
bool scanFiles(SongCollection &scanList, const QString &folder, int &added)
{
    const QString prefix = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    QStringList names = namesIn(folder, QDir::Files, &isAudioFile);
    const qsizetype room = SongCollection::kCapacity - scanList.count;
    const bool cut = names.size() > room;
    const auto end = cut ? names.begin() + room : names.end();
    std::partial_sort(names.begin(), end, names.end(), &chineseNameLess);
    for (auto it = names.begin(); it != end; ++it) {
        SongEntry &e = scanList.entry(scanList.count + 1);
        e = SongEntry{};
        e.address = prefix + *it;
        e.isLocal = true;
        ++scanList.count;
        ++added;
    }
    return cut;
}

bool hasAudioFile(const QString &folder)
{
    QDirIterator it(folder, QDir::Files | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        if (isAudioFile(it.fileName()))
            return true;
    }
    return false;
}

} // namespace

bool chineseNameLess(const QString &a, const QString &b)
{
    const int order = chineseCollator().compare(a, b);
    // Names the collation counts as equal ("A.mp3", "a.mp3") keep a fixed order.
    return order != 0 ? order < 0 : a < b;
}

ScanResult scanFolder(SongCollection &scanList, const QString &folder)
{
    scanList = SongCollection{};
    ScanResult result;
    if (folder.isEmpty())
        return result;
    const QString prefix = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    result.cut = scanFiles(scanList, folder, result.added);
    QStringList subfolders = namesIn(folder, QDir::Dirs, nullptr);
    std::sort(subfolders.begin(), subfolders.end(), &chineseNameLess);
    for (const QString &sub : std::as_const(subfolders)) {
        if (result.cut)
            break;
        const QString path = prefix + sub;
        if (scanList.isFull())
            result.cut = hasAudioFile(path);
        else
            result.cut = scanFiles(scanList, path, result.added);
    }
    return result;
}

QString scanNotice(const QString &folder, const ScanResult &found)
{
    const QString name = QDir::toNativeSeparators(folder);
    if (found.cut)
        return QStringLiteral("“%1”里的歌曲超过%2首，只列出了前%2首（按文件夹和名称排序）。")
            .arg(name)
            .arg(SongCollection::kCapacity);
    if (found.added == 0)
        return QStringLiteral("“%1”里没有找到歌曲。").arg(name);
    return QStringLiteral("“%1”里找到%2首歌曲。").arg(name).arg(found.added);
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
