// SPDX-License-Identifier: GPL-3.0-or-later
#include "testfiles.h"
#include "mp3gen.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

QString writeTestFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    const bool written = f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
    EXPECT_TRUE(written) << path.toStdString() << ": " << f.errorString().toStdString();
    return path;
}

QByteArray silentWav(int seconds)
{
    const quint32 rate = 44100, bytes = rate * 2 * quint32(seconds);
    QByteArray out;
    auto le32 = [&out](quint32 v) { for (int i = 0; i < 4; ++i) out.append(char(v >> (8 * i))); };
    auto le16 = [&out](quint16 v) { out.append(char(v)).append(char(v >> 8)); };
    out += "RIFF";
    le32(36 + bytes);
    out += "WAVEfmt ";
    le32(16);
    le16(1);
    le16(1);
    le32(rate);
    le32(rate * 2);
    le16(2);
    le16(16);
    out += "data";
    le32(bytes);
    out += QByteArray(qsizetype(bytes), '\0');
    return out;
}

bool runEncoder(const QString &folder, const QString &program, const QStringList &args)
{
    QProcess p;
    p.setWorkingDirectory(folder);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        ADD_FAILURE() << program.toStdString() << ": " << p.readAll().toStdString();
        return false;
    }
    return true;
}

QString writeSong(const QString &path)
{
    const QString type = QFileInfo(path).suffix().toLower();
    if (type == QLatin1String("mp3"))
        return writeTestFile(path, makeMp3({.seconds = 0.5}));
    if (type == QLatin1String("wav"))
        return writeTestFile(path, silentWav(1));
    QFile song(QStringLiteral(LIRAVO_SOURCE_DIR "/tests/data/audio/tiny.") + (type == QLatin1String("oga") ? QStringLiteral("ogg") : type));
    if (!song.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "no test song of type " << type.toStdString();
        return path;
    }
    return writeTestFile(path, song.readAll());
}
