// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/menucommands.h"

#include "windows/mainviewmodel.h"
#include "collection/audioformats.h"
#include "collection/fileexists.h"
#include "collection/playlistfile.h"
#include "collection/songlistlogic.h"
#include "playback/filedrops.h"
#include "ui/appcontext.h"
#include "desktop/dialogs.h"
#include "desktop/trayicon.h"

MenuCommands::MenuCommands(AppContext &ctx, MainViewModel &controller)
    : ctx_(ctx), controller_(controller)
{
}

void MenuCommands::openFile()
{
    // One file opens by its type; several songs become the collection, as
    // when they are dropped on the window.
    const QStringList files = ctx_.services.dialogs.openFiles(
        QStringLiteral("音频文件|") % audioFilePatterns() % QStringLiteral(";*.yyu;") % playlistFilePatterns());
    if (files.size() == 1 && fileExists(files.first()))
        ctx_.player.playFile(files.first());
    else if (files.size() > 1 && dropOnMainWindow(ctx_.services.dialogs, ctx_.player, files))
        ctx_.windows().showSongList();
}

void MenuCommands::topCaption()
{
    const QString answer = ctx_.services.dialogs.inputBox(QStringLiteral("输入你需要显示的文字"),
                                                          QStringLiteral("文字更换"), controller_.topCaption());
    if (!answer.isEmpty())
        controller_.setTopCaption(answer);
}

void MenuCommands::fontColor()
{
    const std::optional<qint32> chosen = ctx_.services.dialogs.chooseColor();
    if (chosen && *chosen != 0)
        controller_.setFontColor(*chosen);
}

void MenuCommands::backColor()
{
    const std::optional<qint32> chosen = ctx_.services.dialogs.chooseColor();
    if (chosen && *chosen != 0)
        controller_.setBackColor(*chosen);
}

bool MenuCommands::exit()
{
    if (wouldLoseUserChanges(ctx_.player.collection())) {
        const Dialogs::Answer a = ctx_.services.dialogs.messageBox(
            QStringLiteral("当前歌集尚未保存，是否舍去当前歌集？"), QStringLiteral("未保存"),
            Dialogs::Buttons::YesNo, Dialogs::Icon::Question);
        if (a != Dialogs::Answer::Yes)
            return false;
        // Given up: the next start must not bring it back.
        ctx_.player.replaceCollection(SongCollection{});
    }
    ctx_.services.tray.remove();
    ctx_.windows().exitProgram();
    return true;
}
