// SPDX-License-Identifier: GPL-3.0-or-later
// Renders the windows and dialogs a new user meets first, with the colours a
// fresh settings store gives, into PNG files: the open-file dialog, the
// question asked before a collection is dropped, the updater and the scan
// window. tools/screenshot_dialogs.sh builds and runs it.
//
//   liravo_screenshots <output folder> <folder the open dialog shows>
#include "ui/navigator.h"
#include "base/session.h"
#include "ui/leanstyle.h"
#include "base/settings.h"
#include "app/startup.h"
#include "net/lazyhttpclient.h"
#include "store/memorysettingsbackend.h"
#include "ui/qtdialogs.h"
#include "net/qtdownloader.h"
#include "desktop/qtprocesslauncher.h"
#include "desktop/qttranslations.h"
#include "windows/scanwindow.h"
#include "windows/songlistwindow.h"
#include "windows/updaterwindow.h"
#include "desktop/qtbrowser.h"
#include "desktop/xdgfileassociation.h"
#include "engine/lazymediaplayer.h"
#include "playback/player.h"
#include "store/qtinstancelock.h"
#include "ui/qttrayicon.h"
#include "base/services.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QTimer>

#include <cstdio>

namespace {
// The windows pictured here reach no other window.
class NoWindows : public Navigator {
public:
    QWidget *existingMainWindow() override { return nullptr; }
    void showSongList() override {}
    void closeSongList() override {}
    void showSearchWindow() override {}
    void closeSearchWindow() override {}
    void showScanWindow() override {}
    void showUpdaterWindow() override {}
    void exitProgram() override {}
};

bool save(QWidget *w, const QString &file)
{
    const bool ok = w->grab().save(file, "PNG");
    std::printf("%s %s\n", ok ? "saved" : "FAILED", qPrintable(file));
    return ok;
}

// Saves the modal dialog that the next call opens, then dismisses it.
void grabNextDialog(const QString &file, bool *ok)
{
    auto *poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, file, ok] {
        QWidget *d = QApplication::activeModalWidget();
        if (!d)
            return;
        poll->stop();
        poll->deleteLater();
        // Let it lay itself out and paint once before it is grabbed.
        QTimer::singleShot(300, d, [d, file, ok] {
            *ok = save(d, file);
            QMetaObject::invokeMethod(d, "reject");
        });
    });
    poll->start(20);
}
} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <output folder> <folder to browse>\n", argv[0]);
        return 2;
    }
    installQtChineseTranslations(app);
    QApplication::setStyle(new LeanStyle(QApplication::style()->name()));
    QFont font = QApplication::font();
    font.setFamilies({QStringLiteral("WenQuanYi Zen Hei")});
    QApplication::setFont(font);
    const QDir out(QDir(QString::fromLocal8Bit(argv[1])).absolutePath());
    QDir::setCurrent(QString::fromLocal8Bit(argv[2]));

    MemorySettingsBackend backend;
    Settings settings(backend, QStringLiteral("Liravo"));
    backend.write(Settings::sharedAppName(), QStringLiteral("版本更新"), QStringLiteral("当前版本"),
                  StartupProcedure::version());
    QtDialogs dialogs(false);
    LazyHttpClient http;
    QtDownloader downloader(http);
    QtProcessLauncher launcher;

    bool ok = true, shot = false;
    grabNextDialog(out.filePath(QStringLiteral("open-file-dialog.png")), &shot);
    dialogs.openFile(QStringLiteral("音频文件|*.mp3;*.yyu;"), QString());
    ok = ok && shot;
    shot = false;
    grabNextDialog(out.filePath(QStringLiteral("question-box.png")), &shot);
    dialogs.messageBox(QStringLiteral("当前歌集尚未保存，是否舍去当前歌集？"),
                       QStringLiteral("未保存"), Dialogs::Buttons::YesNo, Dialogs::Icon::Question);
    ok = ok && shot;

    NoWindows windows;
    UpdaterWindow updater(settings, dialogs, downloader, launcher, windows);
    updater.show();
    updater.loadManifest();
    ok = save(&updater, out.filePath(QStringLiteral("updater-window.png"))) && ok;

    // Nothing plays here: an engine that is never made, and services that
    // are never asked.
    LazyMediaPlayer engine(nullptr);
    QtBrowser browser;
    QtTrayIcon tray;
    QtInstanceLock lock(QStringLiteral("LiravoScreenshots"));
    XdgFileAssociation association;
    Services services{.settings = settings,
                      .player = engine,
                      .dialogs = dialogs,
                      .http = http,
                      .browser = browser,
                      .tray = tray,
                      .instanceLock = lock,
                      .fileAssociation = association,
                      .downloader = downloader,
                      .launcher = launcher,
                      .resolver = {}};
    Player player(services);
    Session session;
    ScanWindow scan(settings, dialogs, session, player, windows);
    scan.show();
    ok = save(&scan, out.filePath(QStringLiteral("scan-window.png"))) && ok;

    // A collection of Chinese and Latin names, sorted by the song list's own
    // command into pinyin order.
    SongCollection mixed;
    const char *const songs[][2] = {{"周杰伦", "稻香"},   {"Beyond", "海阔天空"}, {"林俊杰", "江南"},
                                    {"王菲", "红豆"},     {"Adele", "Hello"},     {"陈奕迅", "爱情转移"},
                                    {"邓丽君", "月亮代表我的心"}, {"周杰伦", "晴天"}, {"莫文蔚", "阴天"}};
    for (const auto &song : songs)
        addEntry(mixed, QString::fromUtf8(song[1]), QString::fromUtf8(song[0]), QString());
    mixed.albumName = QStringLiteral("华语金曲");
    player.replaceCollection(mixed);
    SongListWindow list(services, player, windows);
    list.show();
    list.findChild<QAction *>(QStringLiteral("m_SortByName"))->trigger();
    QApplication::processEvents();
    ok = save(&list, out.filePath(QStringLiteral("songlist-pinyin.png"))) && ok;
    return ok ? 0 : 1;
}
