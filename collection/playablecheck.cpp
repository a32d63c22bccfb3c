// SPDX-License-Identifier: GPL-3.0-or-later
#include "collection/playablecheck.h"

#include "collection/audioformats.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <audioproperties.h>
#include <fileref.h>

namespace {
PlayableCheck failed(PlayableCheck::Reason reason, const QString &text, const QString &path)
{
    return {reason, text.arg(QDir::toNativeSeparators(path))};
}

// The types TagLib has no reader for are let through on their extension:
// the engine may still play them, and refusing a song the user can hear
// would be worse than a failure reported when it plays.
bool taglibReads(const QString &extension)
{
    return extension != QLatin1String(".aac");
}
} // namespace

PlayableCheck checkPlayable(const QString &path)
{
    using R = PlayableCheck::Reason;
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists())
        return failed(R::Missing, QStringLiteral("找不到文件“%1”。"), path);
    if (info.isDir())
        return failed(R::Folder, QStringLiteral("“%1”是文件夹，不是歌曲文件。"), path);
    if (!isAudioFile(path))
        return failed(R::NotAudioType, QStringLiteral("“%1”不是可以播放的音频文件类型。"), path);
    if (info.size() == 0)
        return failed(R::Undecodable, QStringLiteral("“%1”是空文件，无法播放。"), path);
    if (!taglibReads(fileExtension(path)))
        return {};
    // Fast: the stream headers only (no scan through the whole file), which
    // is what tells a song from a renamed text or a file cut off at its start.
    const TagLib::FileRef ref(QFile::encodeName(path).constData(), true,
                              TagLib::AudioProperties::Fast);
    const TagLib::AudioProperties *audio = ref.isNull() ? nullptr : ref.audioProperties();
    if (!audio || audio->sampleRate() <= 0 || audio->channels() <= 0)
        return failed(R::Undecodable,
                      QStringLiteral("“%1”里没有可以解码的音频（文件已损坏、不完整或不是它的扩展名所说的类型）。"),
                      path);
    return {};
}
