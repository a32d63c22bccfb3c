// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <QStringList>

// The one list of file types the player accepts, so that the command line, the
// open dialogs, the scan, drag and drop and the desktop entry agree. Types are
// matched on the extension in any letter case: cameras, rippers and Windows
// copies write ".MP3" as often as ".mp3".

// Extensions of playable audio files, lower case with the dot, in the order
// the open dialog lists them.
const QStringList &audioExtensions();
// Extensions of playlist files read as a song collection (".m3u", ".m3u8", ".pls").
const QStringList &playlistExtensions();

// The lower-case extension of path (".flac"), or "" when its file name has no dot.
QString fileExtension(const QString &path);
bool isAudioFile(const QString &path);
bool isPlaylistFile(const QString &path);

// Wildcards for a dialog filter: "*.mp3;*.m4a;...".
QString audioFilePatterns();
QString playlistFilePatterns();
