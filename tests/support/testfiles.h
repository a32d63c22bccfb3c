// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QByteArray>
#include <QString>

// Writes bytes to path, making its folder first, and returns path; a write
// that fails fails the test.
QString writeTestFile(const QString &path, const QByteArray &bytes = {});

// Silent 16-bit mono PCM in a WAV container, the encoders' input.
QByteArray silentWav(int seconds);

// Runs an encoder (flac, oggenc, ...) in folder; true when it succeeded, and
// a failure of the calling test with its output when not.
bool runEncoder(const QString &folder, const QString &program, const QStringList &args);

// A short song that passes the playable check, of the type path's extension
// names in any letter case: MP3 and WAV made here; FLAC, Ogg, Opus, M4A and
// WMA copied from tests/data/audio. Returns path; another type fails the test.
QString writeSong(const QString &path);
