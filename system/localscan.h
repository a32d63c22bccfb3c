// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "base/songcollection.h"

#include <QList>
#include <QString>

// What a scan found: how many files it listed, and whether the 100-entry
// limit left further songs out.
struct ScanResult {
    int added = 0;
    bool cut = false;
};

// Replaces `scanList` with the audio files of `folder` (isAudioFile: any
// accepted type, in any letter case, since ".MP3" from a camera or a Windows
// copy is just as much a song): first the files directly in the folder, then
// those directly inside each immediate subfolder, folders and names each in
// Chinese (pinyin) order with numbers by value ("2" before "10"). Deeper
// folders are never visited, hidden files and folders are left out, and a
// folder that cannot be read is skipped. A new scan replaces the last one's
// results: the list shows one folder, the one just chosen.
//
// Each folder visited is listed whole and only its audio files are put in
// order (the first ones still needed, not all); once the list is full, the
// remaining subfolders are only looked into until one more song shows that
// the list was cut. A folder of 100,000 songs costs about half a second (the
// first 100 in order cannot be known without seeing every name); one of a
// few hundred, a few milliseconds.
ScanResult scanFolder(SongCollection &scanList, const QString &folder);

// What the scan window says under its list after scanning folder: where the
// songs come from, how many, and whether the limit left some out.
QString scanNotice(const QString &folder, const ScanResult &found);

// Less-than for file and folder names in the order a Chinese user reads a
// list: pinyin, letters without regard to case, numbers by value.
bool chineseNameLess(const QString &a, const QString &b);

// Whether "全选" shows checked after a click in the list.
bool allSelected(int selectedCount, int itemCount);

// Appends a copy of scan list entry row+1 to `localList` for every row in
// `selectedRows` (ascending list rows), marking the local list as the scan
// window's collection. Picks that would take it past 100 entries are left
// out; the number left out is returned.
int addPicksToLocalList(SongCollection &localList, const SongCollection &scanList,
                        const QList<int> &selectedRows);
