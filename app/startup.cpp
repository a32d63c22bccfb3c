#include "app/startup.h"

#include "collection/fileexists.h"
#include "platform/appcontext.h"
#include "base/makerhosts.h"
#include "base/settings.h"
#include "platform/browser.h"
#include "platform/instancelock.h"
#include "platform/dialogs.h"
#include "base/settingsbackend.h"
#include "platform/trayicon.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QThread>

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
        // reads them in the same order on its tick. Without a file nothing
        // is written, so a file another copy left just before stays.
        const bool handed = given.isEmpty() || handOver(given);
        if (Settings::toInt(s.get(Settings::fixedApp(), kHandOff, QStringLiteral("句柄"), 0)) != 0)
            s.save(Settings::fixedApp(), kHandOff, QStringLiteral("show"), QStringLiteral("true"));
        if (!handed && ctx_.dialogs)
            ctx_.dialogs->messageBox(
                QStringLiteral("无法把“%1”交给正在运行的 Liravo，文件没有打开。\n%2")
                    .arg(QDir::toNativeSeparators(given), handOffError_),
                QStringLiteral("Liravo"), Dialogs::Buttons::Ok, Dialogs::Icon::Warning);
        if (ctx_.tray)
            ctx_.tray->remove();
        if (ctx_.exitProgram)
            ctx_.exitProgram();
        return false;
    }

    s.save(Settings::fixedApp(), kHandOff, QStringLiteral("句柄"), QString::number(windowHandle));
    // A hand-off left by a copy that found no one to take it is taken over
    // now; when this copy has a file of its own, the waiting one stays and
    // the playback tick opens it after this one.
    QString file = given;
    if (file.isEmpty())
        file = s.backend().take(Settings::fixedApp(), kHandOff, kSongFile).value_or(QString());
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

bool StartupProcedure::handOver(const QString &file)
{
    // One slot: a file another copy handed over just before and the running
    // copy has not taken yet must not be overwritten, so wait for the slot to
    // empty (the running copy takes it within a tick), but not for ever.
    SettingsBackend &store = ctx_.settings->backend();
    const QDeadlineTimer deadline(handOffWaitMs_);
    for (;;) {
        switch (store.putIfEmpty(Settings::fixedApp(), kHandOff, kSongFile, file)) {
        case SettingsBackend::PutResult::Written:
            return true;
        case SettingsBackend::PutResult::Occupied:
            handOffError_ = QStringLiteral("正在运行的 Liravo 没有及时取走上一个文件。");
            break;
        case SettingsBackend::PutResult::Failed:
            handOffError_ = QStringLiteral("设置无法写入：%1").arg(store.why());
            break;
        }
        if (deadline.hasExpired())
            return false;
        QThread::msleep(20);
    }
}
