#include "core/startup.h"

#include "collection/fileexists.h"
#include "core/appcontext.h"
#include "core/makerhosts.h"
#include "core/settings.h"
#include "platform/browser.h"
#include "platform/instancelock.h"
#include "platform/trayicon.h"

namespace {
const QString kHandOff = QStringLiteral("程序多开");
const QString kSongFile = QStringLiteral("歌曲文件");
} // namespace

StartupProcedure::StartupProcedure(AppContext &ctx) : ctx_(ctx) {}

void StartupProcedure::run()
{
    Settings &s = *ctx_.settings;
    s.save(Settings::fixedApp(), QStringLiteral("版本更新"), QStringLiteral("当前版本"), version());

    lastCollectionPath_ =
        s.get(Settings::fixedApp(), QStringLiteral("歌集"), QStringLiteral("最后的歌集地址"), "");
    if (!fileExists(lastCollectionPath_))
        lastCollectionPath_.clear();

    const bool firstRun = Settings::toBool(
        s.get(Settings::fixedApp(), QStringLiteral("设置"), QStringLiteral("firstRun"), true), true);
    if (firstRun) {
        // A desktop without a browser still gets its player, and without a
        // blog there is no page to show.
        const QString page = firstRunPageUrl(s);
        if (ctx_.browser && !page.isEmpty())
            ctx_.browser->openUrl(page);
        s.save(Settings::fixedApp(), QStringLiteral("设置"), QStringLiteral("firstRun"),
               QStringLiteral("False"));
    }
}

bool StartupProcedure::firstActivation(qint64 windowHandle)
{
    if (activatedOnce_)
        return true;
    // Set first: playFile below may open a modal message, and the window
    // activations it causes must not run this sequence again.
    activatedOnce_ = true;

    if (!enforceSingleInstance(windowHandle, ctx_.commandLine))
        return false;

    SongCollection &c = ctx_.current;
    if (!lastCollectionPath_.isEmpty() && c.count == 0) {
        if (ctx_.playFile)
            ctx_.playFile(lastCollectionPath_);
        c.playing = false;
        c.currentIndex = 1;
    }
    if (ctx_.showSongList)
        ctx_.showSongList();
    return true;
}

bool StartupProcedure::enforceSingleInstance(qint64 windowHandle, const QString &given)
{
    Settings &s = *ctx_.settings;
    const bool sole = !ctx_.instanceLock || ctx_.instanceLock->tryLock();
    if (!sole) {
        // The file first, then the request to come forward: the running copy
        // reads them in the same order on its tick.
        s.save(Settings::fixedApp(), kHandOff, kSongFile, given);
        if (Settings::toInt(s.get(Settings::fixedApp(), kHandOff, QStringLiteral("句柄"), 0)) != 0)
            s.save(Settings::fixedApp(), kHandOff, QStringLiteral("show"), QStringLiteral("true"));
        if (ctx_.tray)
            ctx_.tray->remove();
        if (ctx_.exitProgram)
            ctx_.exitProgram();
        return false;
    }

    s.save(Settings::fixedApp(), kHandOff, QStringLiteral("句柄"), QString::number(windowHandle));
    QString file = given;
    if (file.isEmpty())
        file = s.get(Settings::fixedApp(), kHandOff, kSongFile, "");
    s.save(Settings::fixedApp(), kHandOff, kSongFile, QString());
    if (!file.isEmpty() && ctx_.playFile) {
        // The song list window tidies the collection when it loads, and tidying
        // drops entries without a name. A lone song opened here has no name
        // until its tags are read on a later tick, so the list is loaded
        // before the song is added, or showing it right after would throw the
        // song away.
        if (ctx_.refreshSongList)
            ctx_.refreshSongList();
        ctx_.playFile(file);
    }
    return true;
}
