// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/mainviewmodel.h"

#include "base/makerhosts.h"
#include "base/settings.h"
#include "base/settingskeys.h"
#include "desktop/trayicon.h"
#include "playback/player.h"
#include "playback/statustexts.h"
#include "ui/appcontext.h"
#include "ui/colors.h"

#include <QGuiApplication>
#include <QPalette>

QColor MainViewModel::defaultGreyText()
{
    return QGuiApplication::palette().color(QPalette::Disabled, QPalette::WindowText);
}

MainViewModel::MainViewModel(AppContext &ctx, QColor greyText, QObject *parent)
    : QObject(parent), ctx_(ctx), player_(ctx.player), commands_(ctx, *this), grey_(greyText)
{
    labelText_ = {QStringLiteral("上一首"), QStringLiteral("text 歌曲名"), QStringLiteral("text 歌手"),
                  QStringLiteral("播放"), QStringLiteral("停止"), QStringLiteral("下一首"),
                  QStringLiteral("text 专辑")};
    labelEnabled_.fill(true);
    caption_ = designCaption();
    backColor_ = QColor(128, 128, 128);
    connect(&player_, &Player::changed, this, &MainViewModel::refresh);
    connect(&player_, &Player::unplayableChanged, this, &MainViewModel::refresh);
}

void MainViewModel::load(const QIcon &windowIcon)
{
    Settings &s = ctx_.services.settings;
    topCaption_ = s.value(SettingKeys::topCaption);
    setFontColor(qint32(s.number(SettingKeys::fontColor)));
    setBackColor(qint32(s.number(SettingKeys::backColor)));
    // The site shown in the tooltip cannot change while the program runs, so
    // the tick does not read it again ten times a second.
    siteUrl_ = makerSiteUrl(s);
    ctx_.services.tray.add(windowIcon, caption_);
    player_.load();
    // The caption and the tooltip keep their first texts until the first tick.
    loaded_ = true;
}

const QString &MainViewModel::playMode() const
{
    return player_.mode().text();
}

void MainViewModel::refresh()
{
    labelText_[SongName] = player_.title();
    labelText_[Singer] = player_.singer();
    labelText_[Album] = player_.album();
    labelText_[PlayPause] = player_.offersPause() ? QStringLiteral("暂停") : QStringLiteral("播放");
    labelEnabled_[Stop] = player_.canStop();
    labelEnabled_[Previous] = player_.canPrevious();
    labelEnabled_[Next] = player_.canNext();
    randomEnabled_ = player_.canRandom();
    if (loaded_) {
        const SongCollection &c = player_.collection();
        const PlayState state = player_.state();
        caption_ = StatusTexts::caption(c, state, topCaption_);
        tooltip_ = StatusTexts::tooltip(c, state, ctx_.services.settings.programAppName(), siteUrl_);
        // A song being skipped because it cannot play says so, and why.
        const QString why = player_.currentUnplayableReason();
        if (!why.isEmpty()) {
            const SongEntry &e = c.entry(c.currentIndex);
            const QString name = e.songName.isEmpty() ? StatusTexts::fileBaseName(e.address) : e.songName;
            caption_ = name + QStringLiteral("[无法播放][") + topCaption_ + QLatin1Char(']');
            tooltip_ = QStringLiteral("无法播放“%1”：%2").arg(name, why);
        }
        ctx_.services.tray.modify(tooltip_);
    }
    Q_EMIT stateChanged();
}

void MainViewModel::clickLabel(int index)
{
    if (index < 0 || index >= kLabelCount || !labelEnabled_[index])
        return;
    switch (index) {
    case Previous:
        player_.previous();
        break;
    case PlayPause:
        // An empty collection asks for a file; otherwise the player pauses
        // or plays. While a song is wanted the label only lags behind the
        // engine by a tick; it starts nothing anew.
        if (player_.collection().count == 0 && !player_.offersPause())
            commands_.openFile();
        else
            player_.playPause();
        break;
    case Stop:
        player_.stop();
        break;
    case Next:
        player_.next();
        break;
    default:
        break;
    }
}

void MainViewModel::menuPlayPause()
{
    // A paused song goes on where it stood; a playing one pauses; otherwise
    // the menu entry plays the current entry again from its start.
    if (player_.holdsPause() || player_.offersPause()) {
        player_.playPause();
        return;
    }
    if (player_.collection().count == 0) {
        commands_.openFile();
        return;
    }
    player_.play(qMax(1, player_.currentIndex()));
}

void MainViewModel::cyclePlayMode()
{
    player_.setMode(player_.mode().next());
}

void MainViewModel::choosePlayMode(const QString &mode)
{
    const PlayMode chosen = PlayMode::fromText(mode);
    if (chosen.kind() != PlayMode::Kind::Other)
        player_.setMode(chosen);
}

void MainViewModel::setTopCaption(const QString &text)
{
    caption_ = text;
    topCaption_ = text;
    ctx_.services.settings.store(SettingKeys::topCaption, text);
    Q_EMIT stateChanged();
}

void MainViewModel::setFontColor(qint32 color)
{
    fontColor_ = colorFromValue(color);
    ctx_.services.settings.store(SettingKeys::fontColor, QString::number(color));
    Q_EMIT stateChanged();
}

void MainViewModel::setBackColor(qint32 color)
{
    ctx_.services.settings.store(SettingKeys::backColor, QString::number(color));
    backColor_ = colorFromValue(color);
    Q_EMIT stateChanged();
}
