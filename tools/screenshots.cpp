// SPDX-License-Identifier: GPL-3.0-or-later
// Renders the windows and dialogs a new user meets first, with the colours a
// fresh settings store gives, into PNG files: the open-file dialog, the
// question asked before a collection is dropped (alone, and over the main
// window), the updater, the scan window, and the song list with a song that
// could not be played and its reason. tools/screenshot_dialogs.sh builds and
// runs it.
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
#include "ui/appcontext.h"
#include "windows/mainwindow.h"
#include "windows/songlistwindow.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QListWidget>
#include <QPainter>
#include <QTimer>
#include <QToolTip>

#include <functional>

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

// Hands the modal dialog that the next call opens to `use` once it has
// painted, then dismisses it.
void withNextDialog(const std::function<void(QWidget *)> &use)
{
    auto *poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, use] {
        QWidget *d = QApplication::activeModalWidget();
        if (!d)
            return;
        poll->stop();
        poll->deleteLater();
        // Let it lay itself out and paint once before it is grabbed.
        QTimer::singleShot(300, d, [d, use] {
            use(d);
            QMetaObject::invokeMethod(d, "reject");
        });
    });
    poll->start(20);
}

// Saves the modal dialog that the next call opens, then dismisses it.
void grabNextDialog(const QString &file, bool *ok)
{
    withNextDialog([file, ok](QWidget *d) { *ok = save(d, file); });
}

// Pictures of top-level widgets laid out where they stand on the screen,
// on a neutral backdrop (there are no frames on this platform).
bool saveTogether(const QList<QWidget *> &widgets, const QString &file)
{
    QRect area;
    for (QWidget *w : widgets)
        area = area.united(w->geometry());
    const int margin = 16;
    QPixmap canvas(area.size() + QSize(2 * margin, 2 * margin));
    canvas.fill(QColor(0x5b, 0x6b, 0x7b));
    QPainter painter(&canvas);
    for (QWidget *w : widgets)
        painter.drawPixmap(w->geometry().topLeft() - area.topLeft() + QPoint(margin, margin), w->grab());
    painter.end();
    const bool ok = canvas.save(file, "PNG");
    std::printf("%s %s\n", ok ? "saved" : "FAILED", qPrintable(file));
    return ok;
}

// An engine for the pictures: a file that is there plays at once, anything
// else ends before it starts, as the real engine does with a missing file.
class PictureEngine : public MediaPlayer {
public:
    void setObserver(MediaPlayerObserver *o) override { observer_ = o; }
    void setUrl(const QString &url) override
    {
        url_ = url;
        report(QFileInfo(url).isFile() ? Playing : Stopped);
    }
    QString url() const override { return url_; }
    void setNextUrl(const QString &) override {}
    void play() override { report(QFileInfo(url_).isFile() ? Playing : Stopped); }
    void pause() override { report(Paused); }
    void stop() override { report(Stopped); }
    PlayState playState() const override { return state_; }
    QString title() const override { return {}; }
    QString author() const override { return {}; }
    void setVolume(int v) override { volume_ = v; }
    void setReplayGain(ReplayGainMode, double, double) override {}
    int volume() const override { return volume_; }
    qint64 position() const override { return -1; }
    qint64 duration() const override { return -1; }
    void seek(qint64) override {}

private:
    void report(PlayState s)
    {
        state_ = s;
        if (observer_)
            observer_->engineStateChanged(s);
    }
    MediaPlayerObserver *observer_ = nullptr;
    QString url_;
    PlayState state_ = Undefined;
    int volume_ = 80;
};

// A collection of local songs, the second of them missing (a name the open
// dialog's folder does not hold); the rest are empty files, which this
// engine plays.
SongCollection songsWithOneMissing(const QDir &folder)
{
    const char *names[][2] = {{"春日来信", "林晓"}, {"雨后", ""}, {"夜色温柔", "陈默"},
                              {"海边的风", "王小雨"}, {"故乡的云", "赵一鸣"}};
    SongCollection c;
    c.albumName = QStringLiteral("夜晚的歌");
    for (const auto &[name, singer] : names) {
        const QString path = folder.filePath(QString::fromUtf8(name) + QStringLiteral(".mp3"));
        if (c.count != 1) {
            QFile f(path);
            f.open(QIODevice::WriteOnly);
        }
        c.entry(++c.count) = {QString::fromUtf8(name), path, QString::fromUtf8(singer), true};
    }
    c.currentIndex = 1;
    return c;
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
    // The same services around one engine or another.
    auto servicesWith = [&](MediaPlayer &player) {
        return Services{.settings = settings,
                        .player = player,
                        .dialogs = dialogs,
                        .http = http,
                        .browser = browser,
                        .tray = tray,
                        .instanceLock = lock,
                        .fileAssociation = association,
                        .downloader = downloader,
                        .launcher = launcher,
                        .resolver = {}};
    };
    Services services = servicesWith(engine);
    Player player(services);
    Session session;
    ScanWindow scan(settings, dialogs, session, player, windows);
    scan.show();
    ok = save(&scan, out.filePath(QStringLiteral("scan-window.png"))) && ok;
    scan.hide();

    // The song list with a song that could not be played: the player tried
    // the missing file, marked it and went on to the next one; its reason is
    // the row's tool tip, shown here beside the row.
    PictureEngine pictureEngine;
    AppContext ctx{.services = servicesWith(pictureEngine)};
    ctx.navigator = &windows;
    ctx.player.load();
    ctx.player.replaceCollection(songsWithOneMissing(QDir::current()));
    ctx.player.play(2);
    ctx.player.tick(); // marks it and goes on
    ctx.player.tick(); // shows what plays now
    MainWindow mainWindow(ctx);
    mainWindow.move(40, 40);
    mainWindow.show();
    SongListWindow marks(ctx.services, ctx.player, windows);
    // Where its tool tip has room on the screen (each window is grabbed on
    // its own, so the two may overlap).
    marks.move(40, 40);
    marks.show();
    QApplication::processEvents();
    auto *rows = marks.findChild<QListWidget *>(QStringLiteral("List1"));
    const QListWidgetItem *marked = rows ? rows->item(1) : nullptr;
    if (marked && !marked->toolTip().isEmpty()) {
        const QRect row = rows->visualItemRect(marked);
        // Beside the row's text, where the pointer would rest, clear of the
        // rows below.
        int widest = 0;
        for (int r = 0; r < rows->count(); ++r)
            widest = qMax(widest, rows->fontMetrics().horizontalAdvance(rows->item(r)->text()));
        const QPoint at(row.left() + widest + 8, row.top() - 12);
        QToolTip::showText(rows->viewport()->mapToGlobal(at), marked->toolTip(), rows->viewport());
        QApplication::processEvents();
    } else {
        std::printf("FAILED: no song marked as unplayable\n");
        ok = false;
    }
    QList<QWidget *> shown{&marks};
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w->inherits("QTipLabel") && w->isVisible())
            shown << w;
    }
    ok = saveTogether(shown, out.filePath(QStringLiteral("songlist-unplayable.png"))) && ok;
    QToolTip::hideText();
    marks.hide();

    // The question asked before a collection the user changed is replaced,
    // over the main window, as the open command asks it.
    ctx.player.editCollection([](SongCollection &c) { c.changed = true; });
    dialogs.setParentWindow(&mainWindow);
    shot = false;
    withNextDialog([&](QWidget *d) {
        shot = saveTogether({&mainWindow, d}, out.filePath(QStringLiteral("unsaved-question.png")));
    });
    ctx.player.mayReplaceCollection();
    ok = ok && shot;

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
