// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/tonefiles.h"

#include <QFile>
#include <QProcess>
#include <QtEndian>
#include <cmath>
#include <limits>
#include <numbers>

namespace {

void put16(QByteArray &out, quint16 v)
{
    char b[2];
    qToLittleEndian(v, b);
    out.append(b, 2);
}

void put32(QByteArray &out, quint32 v)
{
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}

} // namespace

bool writeToneWav(const QString &path, const Tone &t)
{
    const qint64 frames = std::llround(t.seconds * t.rate);
    const qint64 first = std::llround(t.startSeconds * t.rate);
    QByteArray data;
    data.reserve(frames * t.channels * 2);
    for (qint64 i = 0; i < frames; ++i) {
        const double phase = 2 * std::numbers::pi * t.hz * double(first + i) / t.rate;
        const auto v = qint16(std::lround(t.amplitude * 32767 * std::sin(phase)));
        for (int c = 0; c < t.channels; ++c)
            put16(data, quint16(v));
    }
    QByteArray wav("RIFF");
    put32(wav, quint32(36 + data.size()));
    wav += "WAVEfmt ";
    put32(wav, 16);
    put16(wav, 1); // PCM
    put16(wav, quint16(t.channels));
    put32(wav, quint32(t.rate));
    put32(wav, quint32(t.rate * t.channels * 2));
    put16(wav, quint16(t.channels * 2));
    put16(wav, 16);
    wav += "data";
    put32(wav, quint32(data.size()));
    wav += data;
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(wav) == wav.size();
}

bool writeToneFlac(const QString &path, const Tone &tone, const QStringList &comments)
{
    const QString wav = path + QStringLiteral(".wav");
    if (!writeToneWav(wav, tone))
        return false;
    QStringList args{"-s", "-f", "-o", path};
    for (const QString &c : comments)
        args << "-T" << c;
    args << wav;
    const int code = QProcess::execute("flac", args);
    QFile::remove(wav);
    return code == 0;
}

QString recordingOutput(const QString &path)
{
    return QStringLiteral("audioconvert ! audioresample ! "
                          "audio/x-raw,format=S16LE,rate=44100,channels=1 ! filesink location=\"%1\"")
        .arg(path);
}

QList<qint16> readRecording(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray raw = f.readAll();
    QList<qint16> samples(raw.size() / 2);
    for (qsizetype i = 0; i < samples.size(); ++i)
        samples[i] = qFromLittleEndian<qint16>(raw.constData() + 2 * i);
    return samples;
}

double levelDb(const QList<qint16> &samples)
{
    double sum = 0;
    for (const qint16 s : samples)
        sum += double(s) * s;
    if (samples.isEmpty() || sum == 0)
        return -std::numeric_limits<double>::infinity();
    return 10 * std::log10(sum / samples.size() / (32768.0 * 32768.0));
}

qsizetype longestQuiet(const QList<qint16> &samples, int below, qsizetype margin)
{
    qsizetype longest = 0, run = 0;
    for (qsizetype i = margin; i < samples.size() - margin; ++i) {
        run = std::abs(samples[i]) <= below ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    return longest;
}
