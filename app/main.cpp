// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/commandline.h"
#include "ui/appcontext.h"
#include "engine/lazymediaplayer.h"
#include "ui/leanstyle.h"
#include "windows/mainwindow.h"
#include "mpris/mprisbridge.h"
#include "windows/mainviewmodel.h"
#include "playback/player.h"
#include "base/settings.h"
#include "app/startup.h"
#include "app/terminationsignals.h"
#include "app/windowhub.h"
#include "online/addressresolver.h"
#include "desktop/dialogs.h"
#include "engine/engineloader.h"
#include "net/lazyhttpclient.h"
#include "desktop/qtbrowser.h"
#include "ui/qtdialogs.h"
#include "net/qtdownloader.h"
#include "store/qtinstancelock.h"
#include "mpris/qtmprisservice.h"
#include "desktop/qtprocesslauncher.h"
#include "desktop/qttranslations.h"
#include "ui/qttrayicon.h"
#include "store/sqlitesettingsbackend.h"
#include "store/storewatch.h"
#include "desktop/xdgfileassociation.h"
#include "desktop/dbusnotifier.h"
#include "desktop/songnotifications.h"
#include "playback/sessionkeeper.h"
#include "playback/songdetails.h"
#include "playback/statustexts.h"
#include "system/updater.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QStyle>
#include <QTimer>

#include <memory>

namespace {
// Everything after the program name, as one string. The shell has already
// taken the quotes off; a lone relative path is made absolute, because a
// running copy that takes it over works in another folder.
QString commandLineOf(const QStringList &args)
{
    const QStringList rest = args.mid(1);
    if (rest.size() == 1 && !rest.first().isEmpty() && QFileInfo(rest.first()).isRelative()
        && QFileInfo::exists(rest.first()))
        return QFileInfo(rest.first()).absoluteFilePath();
    return rest.join(QLatin1Char(' '));
}
} // namespace

int main(int argc, char **argv)
{
    // --help, --version and mistyped options are answered without a display.
    if (const int code = answerCommandLine(argc, argv); code >= 0)
        return code;
    ApplicationArguments qtArgs(argc, argv);
    QApplication app(qtArgs.argc(), qtArgs.argv());
    // Qt's own dialogs and buttons speak Chinese like the rest of the player.
    installQtChineseTranslations(app);
    // The main window hides in the tray and other windows come and go; only
    // the exit commands end the program.
    QApplication::setQuitOnLastWindowClosed(false);
    // Lets the desktop match the windows with the installed entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("Liravo"));
    // The style the desktop (or -style) chose, minus the image plugins its
    // menu bar icons would load.
    QApplication::setStyle(new LeanStyle(QApplication::style()->name()));
    QApplication::setWindowIcon(MainWindow::appIcon());

    std::unique_ptr<SettingsBackend> backend = SqliteSettingsBackend::openDefault();
    Settings settings(*backend, Settings::executableBaseName());
    QtDialogs dialogs;
    LazyMediaPlayer engine([&dialogs]() -> std::unique_ptr<MediaPlayer> {
        QString error;
        std::unique_ptr<MediaPlayer> engine = loadEngineModule(engineModuleCandidates(), &error);
        if (!engine)
            dialogs.messageBox(QStringLiteral("音频引擎无法加载，歌曲将无法播放：") + error,
                               QStringLiteral("播放"), Dialogs::Buttons::Ok,
                               Dialogs::Icon::Critical);
        return engine;
    });
    LazyHttpClient http;
    QtDownloader downloader(http);
    QtProcessLauncher launcher;
    XdgFileAssociation association;
    QtBrowser browser;
    QtTrayIcon tray;
    QtInstanceLock lock(settings.programAppName());
    AppContext ctx{{.settings = settings,
                    .player = engine,
                    .dialogs = dialogs,
                    .http = http,
                    .browser = browser,
                    .tray = tray,
                    .instanceLock = lock,
                    .fileAssociation = association,
                    .downloader = downloader,
                    .launcher = launcher,
                    .resolver = {}}};
    ctx.services.resolver = makeResolver(ctx.services);
    ctx.session.commandLine = commandLineOf(QCoreApplication::arguments());

    StartupProcedure startup(ctx);
    // The single-copy rule runs before any window or tray icon exists, so a
    // copy that only hands its file over never shows anything.
    if (startup.handOverToRunningCopy(ctx.session.commandLine)) {
        settings.dropUnsaved();
        return 0;
    }
    // A song given to play: the engine's libraries and the plugins that song
    // takes load while the window is made, not one after another once it
    // has been shown.
    if (!ctx.session.commandLine.isEmpty())
        engine.prepareInBackground([song = ctx.session.commandLine] {
            warmEngineModule(engineModuleCandidates(), song);
        });
    // Shown once the event loop runs, and after the write that failed has
    // returned, not inside it.
    auto warnSoon = [&app, &dialogs](const QString &text) {
        QTimer::singleShot(0, &app, [&dialogs, text] {
            dialogs.messageBox(text, QStringLiteral("Liravo"), Dialogs::Buttons::Ok,
                               Dialogs::Icon::Warning);
        });
    };
    settings.setCannotSaveHandler([warnSoon](const QString &why) {
        warnSoon(QStringLiteral("设置无法保存：%1\n更改先保留在内存中，"
                                "设置可以写入时会自动保存。")
                     .arg(why));
    });
    if (!dynamic_cast<SqliteSettingsBackend *>(backend.get()))
        warnSoon(QStringLiteral("设置存储无法使用，播放器按默认设置运行，"
                                "本次的更改不会被记住。"));
    startup.run();

    WindowHub hub(ctx);
    MainWindow &w = hub.mainWindow();
    Player &player = ctx.player;
    // A second copy hands its song over through the store; its writes wake
    // the tick, which otherwise would have to read the store ten times a second.
    std::unique_ptr<StoreWatch> storeWatch;
    if (auto *store = dynamic_cast<SqliteSettingsBackend *>(backend.get())) {
        storeWatch = std::make_unique<StoreWatch>(store->path());
        if (storeWatch->watching()) {
            player.setHandOffWatched(true);
            QObject::connect(storeWatch.get(), &StoreWatch::changed, &player,
                             &Player::handOffMayHaveChanged);
        }
    }
    tray.setContextMenu(w.findChild<QMenu *>(QStringLiteral("m_右键菜单")));
    dialogs.setParentWindow(&w);
    // The first activation takes over as the running copy and opens the
    // song list. A desktop without a window manager may never activate the
    // window, so it also runs once the window has been painted (the player
    // is then on the screen before any other work), and at the latest after
    // half a second; whichever comes first wins.
    player.holdTicks(true);
    // The desktop's media controls belong to the copy that runs on.
    QtMprisService mprisService;
    MprisBridge mpris(player, mprisService, http);
    QObject::connect(&mpris, &MprisBridge::raiseRequested, &w, &MainWindow::showNormalAndRaise);
    QObject::connect(&hub.lyrics(), &LyricsTracker::documentChanged, &mpris,
                     [&] { mpris.setLyricsText(hub.lyrics().document().plainText()); });
    QObject::connect(&mpris, &MprisBridge::quitRequested, &w,
                     [&w] { w.controller().commands().exit(); });

    // Where the user is, kept for the next start, also when the desktop
    // ends the program.
    SessionKeeper session(player);
    quitOnTerminationSignals();
    QObject::connect(&session, &SessionKeeper::saveFailed, &w, [warnSoon](const QString &why) {
        warnSoon(QStringLiteral("无法记住播放位置：%1").arg(why));
    });
    // The current song's album and cover, for the desktop's media controls
    // and the notification of a new song.
    SongDetails details(player);
    DBusNotifier notifier;
    SongNotifications notifications(notifier, settings);
    auto tellNewSong = [&] {
        if (player.state() != PlayState::Playing || !details.ready() || details.details().key != details.currentKey())
            return;
        const SongDetails::Details &d = details.details();
        const SongCollection &c = player.collection();
        const SongEntry &e = c.entry(c.currentIndex);
        QString name = e.songName.isEmpty() ? d.title : e.songName;
        if (name.isEmpty())
            name = StatusTexts::fileBaseName(e.address);
        notifications.nowPlaying(d.key, songNotice(name, e.singer.isEmpty() ? d.artist : e.singer,
                                                   d.album, d.cover),
                                 w.isVisible());
    };
    QObject::connect(&details, &SongDetails::changed, &mpris, [&] {
        if (details.details().key == details.currentKey())
            mpris.setSongDetails(details.details().album, details.details().coverPath);
        tellNewSong();
    });
    QObject::connect(&player, &Player::stateChanged, &details, [&](PlayState state) {
        if (state == PlayState::Playing)
            tellNewSong();
    });
    auto firstActivation = [&] {
        if (startup.activatedOnce())
            return;
        startup.firstActivation(w.handle());
        player.holdTicks(false);
        mpris.publish();
        // An update that failed was undone by its script; the user hears of it here.
        const QString report = Updater::takeFailureReport(QCoreApplication::applicationDirPath());
        if (!report.isEmpty())
            dialogs.messageBox(report, QStringLiteral("Liravo"), Dialogs::Buttons::Ok,
                               Dialogs::Icon::Warning);
    };
    QObject::connect(&w, &MainWindow::activated, &w, firstActivation);
    QObject::connect(&w, &MainWindow::firstPainted, &w, firstActivation);
    w.show();
    QTimer::singleShot(500, &w, firstActivation);

    const int code = app.exec();
    session.saveNow();
    tray.remove();
    return code;
}
