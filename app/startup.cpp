// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/startup.h"

#include "collection/fileexists.h"
#include "ui/appcontext.h"
#include "base/makerhosts.h"
#include "base/handoff.h"
#include "base/settings.h"
#include "base/settingskeys.h"
#include "desktop/browser.h"
#include "store/instancelock.h"
#include "desktop/dialogs.h"
#include "playback/player.h"

#include <QDir>

StartupProcedure::StartupProcedure(AppContext &ctx) : ctx_(ctx) {}

void StartupProcedure::run(const QString &sessionPath)
{
    Settings &s = ctx_.services.settings;
    s.store(SettingKeys::currentVersion, version());
    // Read once, whether a file was given or not: an unreadable one is put
    // aside and told about either way.
    if (s.value(SettingKeys::resumeAtStart) != QStringLiteral("不恢复"))
        session_ = readSessionFile(sessionPath);

    lastCollectionPath_ = s.value(SettingKeys::lastCollectionPath);
    if (!fileExists(lastCollectionPath_))
        lastCollectionPath_.clear();

    if (s.flag(SettingKeys::firstRun)) {
        // A desktop without a browser still gets its player, and without a
        // blog there is no page to show.
        const QString page = firstRunPageUrl(s);
        if (!page.isEmpty())
            ctx_.services.browser.openUrl(page);
        s.store(SettingKeys::firstRun, QStringLiteral("False"));
    }
}

void StartupProcedure::firstActivation(qint64 windowHandle)
{
    if (activatedOnce_)
        return;
    // Set first: playFile below may open a modal message, and the window
    // activations it causes must not run this sequence again.
    activatedOnce_ = true;

    HandOff(ctx_.services.settings).recordRunning(windowHandle);
    // The song list is on the screen before a song is opened: it tidies the
    // collection when it loads, which drops entries without a name, and a
    // lone song has none until its tags are read. Once shown it follows the
    // player.
    ctx_.windows().showSongList();
    takeOver(ctx_.session.commandLine);

    Player &player = ctx_.player;
    if (!session_.error.isEmpty())
        ctx_.services.dialogs.messageBox(session_.error, QStringLiteral("Liravo"),
                                         Dialogs::Buttons::Ok, Dialogs::Icon::Warning);
    // A file given or handed over plays as it always did; otherwise the
    // player comes back where the user left it.
    if (player.collection().count == 0 && session_.state && session_.state->collection.count > 0) {
        const bool play = ctx_.services.settings.value(SettingKeys::resumeAtStart) == QStringLiteral("播放");
        player.restoreSession(*session_.state, session_.missing, play);
        session_ = {};
        return;
    }
    session_ = {};
    if (!lastCollectionPath_.isEmpty() && player.collection().count == 0) {
        player.playFile(lastCollectionPath_);
        player.editCollection([](SongCollection &c) {
            c.playing = false;
            c.currentIndex = 1;
        });
    }
}

bool StartupProcedure::handOverToRunningCopy(const QString &given)
{
    HandOff handOff(ctx_.services.settings);
    const bool sole = ctx_.services.instanceLock.tryLock();
    if (!sole) {
        // The file first, then the request to come forward: the running copy
        // reads them in the same order on its tick. Without a file nothing
        // is written, so a file another copy left just before stays.
        const bool handed = given.isEmpty() || handOff.leaveFile(given, kHandOffWaitMs);
        if (handOff.runningCopyKnown())
            handOff.requestShow();
        if (!handed)
            ctx_.services.dialogs.messageBox(
                QStringLiteral("无法把“%1”交给正在运行的 Liravo，文件没有打开。\n%2")
                    .arg(QDir::toNativeSeparators(given), handOff.why()),
                QStringLiteral("Liravo"), Dialogs::Buttons::Ok, Dialogs::Icon::Warning);
        return true;
    }
    return false;
}

void StartupProcedure::takeOver(const QString &given)
{
    HandOff handOff(ctx_.services.settings);
    // A hand-off left by a copy that found no one to take it is taken over
    // now; when this copy has a file of its own, the waiting one stays and
    // the playback tick opens it after this one.
    QString file = given;
    if (file.isEmpty())
        file = handOff.takeFile().value_or(QString());
    if (!file.isEmpty()) {
        ctx_.player.playFile(file);
    }
}
