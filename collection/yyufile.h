// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QByteArray>
#include <QString>

struct SongCollection;
class Settings;
class Dialogs;

// .yyu song collection files: GB18030 text, CR LF line ends, the album name on
// a line without "|", then "singer|name" (online) or "singer|name|path" (local).

// Parses a .yyu file's bytes into a fresh collection (saved, not playing,
// currentIndex 1). At most 100 entries are taken.
SongCollection parseCollection(const QByteArray &bytes);
// The bytes saveCollection writes for a collection.
QByteArray serializeCollection(const SongCollection &c);

// Replaces c by the file's contents and remembers the path as
// "最后的歌集地址"; does nothing when fileExists(path) is false. A file that
// cannot be read or is no collection (NUL bytes, far too large) leaves c as it
// was and is reported through dialogs. True when c was replaced.
bool loadCollection(SongCollection &c, const QString &path, Settings &settings,
                    Dialogs *dialogs = nullptr);
// Asks for the album name, then writes the file safely (temporary file and
// rename). A failed write is reported and leaves saved as it was. A path
// without an extension is saved as path + ".yyu".
void saveCollection(SongCollection &c, const QString &path, Dialogs &dialogs);
