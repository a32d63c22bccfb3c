// SPDX-License-Identifier: GPL-3.0-or-later
#include "playback/statustexts.h"

#include "base/songcollection.h"
#include "engine/mediaplayer.h"

#include <QFileInfo>
#include <QUrl>

namespace {
bool hasCurrentEntry(const SongCollection &c)
{
    return c.currentIndex > 0 && c.currentIndex <= SongCollection::kCapacity;
}

// The last part of a path or address.
QString fileNameOf(const QString &address)
{
    if (address.contains(QStringLiteral("://")))
        return QUrl(address).fileName();
    return QFileInfo(address).fileName();
}
} // namespace

QString StatusTexts::stateText(PlayState playState)
{
    switch (playState) {
    case MediaPlayer::Stopped: return QStringLiteral("停止");
    case MediaPlayer::Paused: return QStringLiteral("暂停");
    case MediaPlayer::Playing: return QStringLiteral("播放中...");
    case MediaPlayer::Buffering: return QStringLiteral("正在缓冲...");
    case MediaPlayer::Transitioning: return QStringLiteral("正在连接...");
    case MediaPlayer::Ready: return QStringLiteral("准备就绪");
    default: return {};
    }
}

QString StatusTexts::caption(const SongCollection &c, PlayState playState, const QString &topCaption)
{
    if (!hasCurrentEntry(c))
        return topCaption;
    return c.entry(c.currentIndex).songName + QLatin1Char('[') + stateText(playState)
           + QStringLiteral("][") + topCaption + QLatin1Char(']');
}

QString StatusTexts::tooltip(const SongCollection &c, PlayState playState, const QString &programName,
                             const QString &siteUrl)
{
    const bool notPlaying = playState == MediaPlayer::Undefined || playState == MediaPlayer::Stopped
                            || playState == MediaPlayer::Paused || playState == MediaPlayer::Waiting
                            || playState == MediaPlayer::Ready || !hasCurrentEntry(c);
    if (notPlaying)
        return programName + QStringLiteral("提醒你：播放器没有播放音乐");
    const SongEntry &e = c.entry(c.currentIndex);
    if (!e.songName.isEmpty())
        return QStringLiteral("正在播放歌曲：") + e.singer + QLatin1Char('-') + e.songName;
    if (!siteUrl.isEmpty())
        return siteUrl;
    return QStringLiteral("正在播放歌曲：") + fileNameOf(e.address);
}

QString StatusTexts::fileBaseName(const QString &address)
{
    const QString name = fileNameOf(address);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? name.left(dot) : name;
}
