// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <QStringList>
#include <memory>

class MediaPlayer;

// The audio engine lives in a module of its own (liravo_engine), so the
// player starts without GStreamer and maps it only when the first song is
// set. Returns the engine from the first candidate file that loads, or null
// with the reason in *error.
std::unique_ptr<MediaPlayer> loadEngineModule(const QStringList &candidates, QString *error);

// Opens the module and starts its libraries without making an engine, so
// that a first song expected soon starts sooner, and loads what that song
// (a path, or nothing) will need; any thread. False when no candidate could.
bool warmEngineModule(const QStringList &candidates, const QString &song = {});

// Beside the executable (a build tree), then the installed library folder
// relative to the installed program.
QStringList engineModuleCandidates();
