#pragma once
#include "base/songcollection.h"

#include <QList>
#include <QString>

// Appends the audio files of `folder` (isAudioFile: any accepted type, in any
// letter case, since ".MP3" from a camera or a Windows copy is just as much a
// song) to `scanList`, first the files
// directly in the folder, then those directly inside each immediate subfolder.
// Deeper folders are never visited, hidden files and folders are left out,
// and a folder that cannot be read is skipped.
//
// Files are taken in the order the file system lists them (readdir order, not
// sorted): listing is streamed and stops the moment the scan list is full, so
// a folder of 100,000 files costs no more than one of a few hundred.
// Returns the number of entries appended.
int scanFolder(SongCollection &scanList, const QString &folder);

// Whether "全选" shows checked after a click in the list.
bool allSelected(int selectedCount, int itemCount);

// Appends a copy of scan list entry row+1 to `localList` for every row in
// `selectedRows` (ascending list rows), marking the local list as the scan
// window's collection. Picks that would take it past 100 entries are left
// out; the number left out is returned.
int addPicksToLocalList(SongCollection &localList, const SongCollection &scanList,
                        const QList<int> &selectedRows);
