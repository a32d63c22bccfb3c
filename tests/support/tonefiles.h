// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Sound files made and measured by the tests: sine tones as WAV or FLAC
// (through the flac tool, with Vorbis comments), and the engine's output
// recorded as raw 16-bit mono samples at 44.1 kHz.
#include <QList>
#include <QString>
#include <QStringList>

struct Tone {
    double seconds = 1.0;
    double amplitude = 0.5; // of full scale
    double hz = 441;        // 441 Hz at 44.1 kHz: a period is 100 samples
    int rate = 44100;
    int channels = 1;
    double startSeconds = 0; // where in the endless tone this piece begins
};

// Writes the tone as 16-bit WAV at path.
bool writeToneWav(const QString &path, const Tone &tone);
// Writes the tone as FLAC with the given Vorbis comments ("NAME=value").
bool writeToneFlac(const QString &path, const Tone &tone, const QStringList &comments = {});

// An output description for GstPlayer::Options::audioOutput that writes
// what plays to `path` as raw S16LE mono 44.1 kHz, as fast as it decodes.
QString recordingOutput(const QString &path);
QList<qint16> readRecording(const QString &path);

// Root mean square in dB of full scale (-inf for silence).
double levelDb(const QList<qint16> &samples);
// The longest run of samples all within +-`below` of zero, in samples,
// leaving out the first and last `margin` samples.
qsizetype longestQuiet(const QList<qint16> &samples, int below, qsizetype margin);
