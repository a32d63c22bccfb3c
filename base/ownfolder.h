// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

// Makes sure `base`/`own` is a folder of the player's own and returns its
// path, or an empty string with the reason in *why. `base` is one of the
// desktop's folders ($XDG_CACHE_HOME, $XDG_STATE_HOME, ...) and is taken as
// it is, made if missing; `own` ("liravo/gstreamer-1.0") is checked level
// by level without following anything: a symbolic link on the way is
// removed (the link, never what it points to) and a real folder made in its
// place; a folder of another user, or a file in the way, is left alone and
// the folder refused. Whatever the player writes under its cache and state
// folders goes through here first, so nothing it writes lands elsewhere.
QString ensureOwnFolder(const QString &base, const QString &own, QString *why);
