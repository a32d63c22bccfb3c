// SPDX-License-Identifier: GPL-3.0-or-later
#include "collection/audioformats.h"

const QStringList &audioExtensions()
{
    static const QStringList list = {
        QStringLiteral(".mp3"), QStringLiteral(".m4a"), QStringLiteral(".flac"),
        QStringLiteral(".ogg"), QStringLiteral(".oga"), QStringLiteral(".opus"),
        QStringLiteral(".wav"), QStringLiteral(".aac"), QStringLiteral(".wma"),
        QStringLiteral(".ape"),
    };
    return list;
}

const QStringList &playlistExtensions()
{
    static const QStringList list = {QStringLiteral(".m3u"), QStringLiteral(".m3u8"),
                                     QStringLiteral(".pls")};
    return list;
}

QString fileExtension(const QString &path)
{
    // Only the file name counts: "/music.old/track" has no extension.
    const qsizetype slash = qMax(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    if (dot <= slash)
        return {};
    return path.mid(dot).toLower();
}

bool isAudioFile(const QString &path)
{
    return audioExtensions().contains(fileExtension(path));
}

bool isPlaylistFile(const QString &path)
{
    return playlistExtensions().contains(fileExtension(path));
}

namespace {
QString patterns(const QStringList &extensions)
{
    QStringList out;
    for (const QString &e : extensions)
        out << QLatin1Char('*') + e;
    return out.join(QLatin1Char(';'));
}
} // namespace

QString audioFilePatterns()
{
    return patterns(audioExtensions());
}

QString playlistFilePatterns()
{
    return patterns(playlistExtensions());
}
