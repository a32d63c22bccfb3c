// SPDX-License-Identifier: GPL-3.0-or-later
// The real client, search, lookup, downloads and updater against
// tools/hostile_server.py: every bad answer ends within its limit as a
// failure that names its cause, memory stays near the cap, and the user is
// told in the window.
#include "ui/appcontext.h"
#include "base/settings.h"
#include "online/addressresolver.h"
#include "windows/searchwindow.h"
#include "store/memorysettingsbackend.h"
#include "net/qtdownloader.h"
#include "net/qthttpclient.h"
#include "support/fakeservices.h"
#include "support/loopbackserver.h"
#include "windows/updaterwindow.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <iostream>

namespace {

using Error = HttpClient::Error;

// AddressSanitizer holds freed blocks back for a while, so every chunk read
// and dropped adds to the peak; the sizes below only mean something without it.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kFreedMemoryIsKept = true;
#else
constexpr bool kFreedMemoryIsKept = false;
#endif

// The process's peak resident size so far, in KiB.
qint64 peakRssKiB()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

struct Hostile {
    LoopbackServer server{{QStringLiteral("--page-delay"), QStringLiteral("0.3")},
                          LoopbackServer::hostileScript()};
};

// The fakes with the real web client.
struct Fixture : FakeServices {
    explicit Fixture(const QString &host) : FakeServices({.http = &http})
    {
        ctx.services.resolver = makeResolver(ctx.services);
        set("搜索主机", host);
        set("查询主机", host);
        set("超时毫秒", QStringLiteral("1500"));
    }
    void set(const char *key, const QString &value)
    {
        storeEntry(settings, Settings::sharedAppName(), QStringLiteral("网络"), QString::fromUtf8(key), value);
    }

    QtHttpClient http; // in place of the fake one
};

QStringList lines(SearchWindow &w)
{
    QStringList out;
    auto *list = w.findChild<QListWidget *>(QStringLiteral("List1"));
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

} // namespace

TEST(HostileServer, EveryBadAnswerFailsWithItsCauseWithinTheLimit)
{
    Hostile h;
    ASSERT_TRUE(h.server.started());
    QtHttpClient http;
    http.setTimeoutMs(1500);
    http.setMaxBodyBytes(1 << 20);
    struct Case {
        const char *path;
        Error error;
        const char *says;
    };
    const Case cases[] = {
        {"/endless", Error::TooLarge, "太大"},
        {"/huge-length", Error::TooLarge, "太大"},
        {"/drip", Error::Timeout, "1500 毫秒"},
        {"/redirect-loop", Error::Transport, "重定向次数过多"},
        {"/redirect-file", Error::Transport, "file:///etc/passwd"},
        {"/gzip-bomb", Error::Transport, "压缩"},
        {"/reset", Error::Incomplete, "重置"},
        {"/garbage", Error::Transport, "关闭"},
        {"https:/small", Error::Transport, "TLS"},  // TLS spoken to a plain server
    };
    for (const Case &c : cases) {
        QElapsedTimer clock;
        clock.start();
        const QString path = QString::fromLatin1(c.path);
        const HttpClient::Response r = http.get(
            path.startsWith(QLatin1String("https:"))
                ? QStringLiteral("https://") + h.server.host() + path.mid(6)
                : h.server.url(path));
        SCOPED_TRACE(c.path);
        // A reset can overtake the headers; either way it is a failure.
        if (c.error == Error::Incomplete)
            EXPECT_NE(r.error, Error::None);
        else
            EXPECT_EQ(r.error, c.error);
        EXPECT_TRUE(r.errorText.contains(QString::fromUtf8(c.says))) << r.errorText.toStdString();
        EXPECT_TRUE(r.body.isEmpty());
        EXPECT_LT(clock.elapsed(), 1500 + 1500);
    }
    // A redirect to http within the bound is followed.
    const HttpClient::Response ok = http.get(h.server.url(QStringLiteral("/redirect-ok")));
    EXPECT_EQ(ok.error, Error::None);
    EXPECT_EQ(ok.body, QByteArray("<html>small</html>"));
}

// Pages are held in memory up to their cap; downloads stream to their file,
// so even a much larger cap costs no memory.
TEST(HostileServer, EndlessBodiesKeepMemoryNearTheCap)
{
    Hostile h;
    ASSERT_TRUE(h.server.started());
    QtHttpClient http;
    http.setTimeoutMs(10000);
    ASSERT_TRUE(http.get(h.server.url(QStringLiteral("/small"))).ok());
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("f.bin"));
    QtDownloader downloader(http);
    const qint64 margin = 24 << 10;  // KiB: Qt's buffers and the heap's slack
    struct Case {
        bool download;
        qint64 cap;
        qint64 allowedKiB;
    };
    // A download keeps nothing itself, but Qt's network thread reads ahead
    // while this thread is slow (a loaded machine): what it holds in flight
    // stays far below the whole stream the cap would otherwise let in.
    for (const Case &c : {Case{false, qint64(4) << 20, (4 << 10) + margin},
                          Case{true, qint64(256) << 20, (256 << 10) / 4}}) {
        const qint64 before = peakRssKiB();
        QElapsedTimer clock;
        clock.start();
        QString why;
        if (c.download) {
            EXPECT_FALSE(downloader.download(h.server.url(QStringLiteral("/endless")), file, &why,
                                             c.cap));
            EXPECT_FALSE(QFile::exists(file));
        } else {
            http.setMaxBodyBytes(c.cap);
            const HttpClient::Response r = http.get(h.server.url(QStringLiteral("/endless")));
            EXPECT_EQ(r.error, Error::TooLarge);
            why = r.errorText;
        }
        const qint64 grew = peakRssKiB() - before;
        std::cout << (c.download ? "download" : "page") << " cap " << (c.cap >> 20)
                  << " MiB: refused after " << clock.elapsed() << " ms, peak RSS "
                  << peakRssKiB() / 1024 << " MiB (grew " << grew << " KiB)\n";
        EXPECT_TRUE(why.contains(QStringLiteral("太大"))) << why.toStdString();
        if (!kFreedMemoryIsKept) {
            EXPECT_LT(grew, c.allowedKiB);
        }
        EXPECT_LT(clock.elapsed(), 10000);
    }
}

TEST(HostileServer, DownloadsEndOnAStallNotOnTotalTimeAndReportProgress)
{
    Hostile h;
    ASSERT_TRUE(h.server.started());
    QtHttpClient http;
    http.setTimeoutMs(800);
    QtDownloader downloader(http);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("f.bin"));

    // 2.1 s in all, never 800 ms without a byte.
    QList<qint64> seen;
    QString why;
    EXPECT_TRUE(downloader.download(h.server.url(QStringLiteral("/steady?size=300000&chunks=8&delay=0.3")),
                                    file, &why, Downloader::kDefaultMaxBytes,
                                    [&](qint64 got, qint64 total) {
                                        EXPECT_EQ(total, 300000);
                                        seen << got;
                                    }))
        << why.toStdString();
    EXPECT_EQ(QFileInfo(file).size(), 300000);
    ASSERT_GE(seen.size(), 8);
    EXPECT_EQ(seen.last(), 300000);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));

    QFile::remove(file);
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(downloader.download(h.server.url(QStringLiteral("/stall?size=100000")), file, &why));
    EXPECT_TRUE(why.contains(QStringLiteral("没有收到数据"))) << why.toStdString();
    EXPECT_LT(clock.elapsed(), 800 + 1500);
    EXPECT_FALSE(QFile::exists(file));
}

TEST(HostileServer, SearchPagesEndWithAMessageOrKeepTheirSongs)
{
    Hostile h;
    ASSERT_TRUE(h.server.started());
    struct Case {
        const char *keyword;
        QStringList shown;
        const char *message;  // "" for none
        int pages;
    };
    const Case cases[] = {
        {"invalid", {"歌手-稻香", "歌手-晴天"}, "", 1},
        {"emptynext", {"歌手-第二页的歌"}, "", 2},
        {"endless", {}, "太大", 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.keyword);
        Fixture f(h.server.host());
        SearchWindow w(f.ctx.services, f.ctx.session, f.ctx.player, f.ctx.windows());
        w.show();
        w.findChild<QLineEdit *>(QStringLiteral("Text1"))->setText(QString::fromUtf8(c.keyword));
        QElapsedTimer clock;
        clock.start();
        const qsizetype before = h.server.requests().size();
        w.search();
        EXPECT_LT(clock.elapsed(), 1500 + 1500);
        EXPECT_EQ(lines(w), c.shown);
        EXPECT_EQ(h.server.requests().size() - before, c.pages);
        if (*c.message) {
            ASSERT_EQ(f.dialogs.asked.size(), 1);
            EXPECT_TRUE(f.dialogs.asked[0].text.startsWith(QStringLiteral("搜索网络歌曲失败：")));
            EXPECT_TRUE(f.dialogs.asked[0].text.contains(QString::fromUtf8(c.message)));
        } else {
            EXPECT_TRUE(f.dialogs.asked.isEmpty());
        }
    }
}

// A service that always offers "下一页": the user can cancel by Esc or by the
// button (and nothing else gets in meanwhile), and without a cancel the
// overall limit ends it. Either way the songs found so far stay listed.
TEST(HostileServer, EndlessPagingIsCancelableAndBoundedOverall)
{
    Hostile h;
    ASSERT_TRUE(h.server.started());
    enum Way { Escape, Button, OverallLimit };
    for (Way way : {Escape, Button, OverallLimit}) {
        SCOPED_TRACE(int(way));
        Fixture f(h.server.host());
        f.set("搜索总毫秒", QStringLiteral("2000"));
        SearchWindow w(f.ctx.services, f.ctx.session, f.ctx.player, f.ctx.windows());
        w.show();
        QApplication::setActiveWindow(&w);
        auto *text = w.findChild<QLineEdit *>(QStringLiteral("Text1"));
        auto *cancel = w.findChild<QPushButton *>(QStringLiteral("cmd取消"));
        auto *status = w.findChild<QLabel *>(QStringLiteral("lblStatus"));
        text->setText(QStringLiteral("forever"));
        QAction shortcut(&w);
        shortcut.setShortcut(QKeySequence(QStringLiteral("Ctrl+K")));
        w.addAction(&shortcut);
        int fired = 0;
        QObject::connect(&shortcut, &QAction::triggered, [&] { ++fired; });
        bool busyShown = false;
        QTimer::singleShot(1100, [&] {
            busyShown = cancel->isVisible() && status->text().contains(QStringLiteral("正在搜索"))
                        && w.searching();
            QTest::keyClick(text, Qt::Key_X);  // dropped while searching
            QTest::keyClick(text, Qt::Key_K, Qt::ControlModifier);
            if (way == Escape)
                QTest::keyClick(text, Qt::Key_Escape);
            else if (way == Button)
                QTest::mouseClick(cancel, Qt::LeftButton);
        });
        QElapsedTimer clock;
        clock.start();
        w.search();
        EXPECT_TRUE(busyShown);
        EXPECT_EQ(fired, 0);
        QTest::keyClick(text, Qt::Key_K, Qt::ControlModifier);  // and works again after
        EXPECT_EQ(fired, 1);
        EXPECT_FALSE(cancel->isVisible());
        EXPECT_EQ(text->text(), QStringLiteral("forever"));
        EXPECT_GE(lines(w).size(), 2);
        EXPECT_TRUE(lines(w).contains(QStringLiteral("歌手-第1页")));
        if (way == OverallLimit) {
            EXPECT_LT(clock.elapsed(), 2000 + 1000);
            ASSERT_EQ(f.dialogs.asked.size(), 1);
            EXPECT_TRUE(f.dialogs.asked[0].text.contains(QStringLiteral("时限")));
        } else {
            EXPECT_LT(clock.elapsed(), 1100 + 1000);
            EXPECT_TRUE(f.dialogs.asked.isEmpty());
            EXPECT_TRUE(status->text().contains(QStringLiteral("已取消")));
        }
    }
}

TEST(HostileServer, LookupsOfAFloodOrAnEndlessReplyEndQuickly)
{
    Hostile h;
    ASSERT_TRUE(h.server.started());
    Fixture f(h.server.host());
    f.http.setTimeoutMs(5000);
    f.http.setMaxBodyBytes(16 << 20);
    QElapsedTimer clock;
    clock.start();
    // 100,000 candidates, none an MP3: the walk gives up past the last one
    // it can number, in one pass over the reply.
    ResolveOutcome out = resolveMp3Address(f.http, h.server.host(), QStringLiteral("many"), {},
                                           false, &f.dialogs, 5000);
    EXPECT_FALSE(out.failed());
    EXPECT_EQ(out.address, QString());
    EXPECT_LT(clock.elapsed(), 3000);

    f.http.setMaxBodyBytes(1 << 20);
    out = resolveMp3Address(f.http, h.server.host(), QStringLiteral("endless"), {}, false,
                            &f.dialogs, 5000);
    EXPECT_EQ(out.error, Error::TooLarge);
    ASSERT_EQ(f.dialogs.asked.size(), 1);
    EXPECT_TRUE(f.dialogs.asked[0].text.startsWith(QStringLiteral("无法查询歌曲地址：")));
    EXPECT_TRUE(f.dialogs.asked[0].text.contains(QStringLiteral("太大")));
}

TEST(HostileServer, EndlessManifestIsRefusedAndTheWindowSaysSo)
{
    Hostile h;
    ASSERT_TRUE(h.server.started());
    Fixture f(h.server.host());
    storeEntry(f.settings, Settings::sharedAppName(), QStringLiteral("网站"), QStringLiteral("主页"),
                    h.server.host());
    QtDownloader downloader(f.http);
    FakeProcessLauncher launcher;
    QTemporaryDir dir;
    UpdaterWindow w(f.settings, f.dialogs, downloader, launcher, f.nav);
    w.setProgramFolder(dir.path());
    w.setManifestCopyPath(dir.filePath(QStringLiteral("version.ini")));
    QElapsedTimer clock;
    clock.start();
    w.loadManifest();
    EXPECT_LT(clock.elapsed(), 5000);
    const QString notes = w.findChild<QPlainTextEdit *>(QStringLiteral("Text1"))->toPlainText();
    EXPECT_TRUE(notes.contains(QStringLiteral("无法取得更新信息：")));
    EXPECT_TRUE(notes.contains(QStringLiteral("太大"))) << notes.toStdString();
    EXPECT_FALSE(w.findChild<QPushButton *>(QStringLiteral("cmd确定更新"))->isEnabled());
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("version.ini"))));
}
