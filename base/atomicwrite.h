// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <functional>

class QIODevice;

// Every file the player writes goes through here: into a temporary file
// beside the target ("<name>.liravo-XXXXXX"), flushed to disk, then renamed
// over the target, so a crash or a kill never leaves a half-written file. A
// symbolic link as the target is followed, so a linked playlist stays linked.
// The new file keeps the old one's permissions (a new one gets the umask's).
//
// Before it writes, a save removes what an interrupted save of the same
// target left behind: regular files of its own, matching its own temporary
// name exactly and untouched for a minute. Nothing else is ever removed.
bool writeAtomically(const QString &path, const QByteArray &data, QString *error);
// The same with the contents written by `fill` (a download); a false from
// `fill` leaves the target as it was and sets no error of its own.
bool writeAtomically(const QString &path, const std::function<bool(QIODevice &)> &fill,
                     QString *error);

// Removes the stray temporary files of `path` older than `minAgeSeconds`;
// returns how many. writeAtomically calls it.
int tidyStrayTemporaries(const QString &path, int minAgeSeconds = 60);
