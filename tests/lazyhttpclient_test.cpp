// SPDX-License-Identifier: GPL-3.0-or-later
// The web client loaded on demand: what the player sees without the network
// module, and that the module, once loaded, is the client it was before.
#include "online/fetchpage.h"
#include "net/lazyhttpclient.h"
#include "net/qtdownloader.h"
#include "support/loopbackserver.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

TEST(LazyHttpClient, MissingOrBrokenModuleFailsEveryRequestAsTransport)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // Not a library at all: the loader's complaint reaches the message.
    const QString junk = dir.filePath(LazyHttpClient::moduleFileName());
    QFile f(junk);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("not an ELF file");
    f.close();

    for (const QStringList &candidates :
         {QStringList{dir.filePath(QStringLiteral("nowhere/libliravo_network.so"))},
          QStringList{junk}, QStringList{}}) {
        LazyHttpClient http(candidates);
        http.setTimeoutMs(700);
        for (int attempt = 0; attempt < 2; ++attempt) {
            const HttpClient::Response r = http.get(QStringLiteral("http://127.0.0.1:1/"));
            EXPECT_EQ(r.error, HttpClient::Error::Transport);
            EXPECT_FALSE(r.ok());
            EXPECT_TRUE(r.errorText.startsWith(QStringLiteral("网络模块无法加载："))) << qPrintable(r.errorText);
            EXPECT_TRUE(r.body.isEmpty());
        }
        EXPECT_FALSE(http.loaded());
        EXPECT_FALSE(http.busy());
        EXPECT_EQ(http.timeoutMs(), 700);
    }

    // The page fetcher turns it into the usual failed fetch, not a crash.
    LazyHttpClient missing{QStringList{}};
    EXPECT_TRUE(fetchPage(missing, QStringLiteral("http://127.0.0.1:1/x")).failed());
}

TEST(LazyHttpClient, LoadsOnTheFirstRequestAndFetchesFromTheService)
{
    LoopbackServer server;
    ASSERT_TRUE(server.started());
    LazyHttpClient http({QStringLiteral("/nonexistent/libliravo_network.so"),
                         QStringLiteral(LIRAVO_NETWORK_MODULE)});
    EXPECT_FALSE(http.busy());
    EXPECT_FALSE(http.loaded());
    http.setTimeoutMs(0);  // nonsense falls back to the default, as the real client does
    EXPECT_EQ(http.timeoutMs(), 15000);

    HttpClient::Response r = http.get(server.url(QStringLiteral("/status/404")));
    EXPECT_TRUE(http.loaded());
    EXPECT_EQ(r.error, HttpClient::Error::None);
    EXPECT_EQ(r.status, 404);
    EXPECT_EQ(r.body, QByteArray("<html>status 404</html>"));

    const FetchResult page =
        fetchPage(http, server.url(QStringLiteral("/x?op=12&count=1&title=稻香$$周杰伦$$$$")));
    EXPECT_FALSE(page.failed());
    EXPECT_TRUE(page.text.contains(QStringLiteral("<count>")));
    EXPECT_FALSE(http.busy());

    // The downloader works through it as through the client itself.
    QTemporaryDir dir;
    QtDownloader downloader(http);
    const QString file = dir.filePath(QStringLiteral("song.mp3"));
    QString error;
    EXPECT_TRUE(downloader.download(server.url(QStringLiteral("/mp3/1/s1.mp3")), file, &error))
        << qPrintable(error);
    QFile mp3(file);
    ASSERT_TRUE(mp3.open(QIODevice::ReadOnly));
    EXPECT_TRUE(mp3.read(3) == "ID3");
    EXPECT_FALSE(downloader.download(server.url(QStringLiteral("/status/404")),
                                     dir.filePath(QStringLiteral("x")), &error));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("x"))));
}

// The cap and the cancel reach the loaded client, whenever they were given.
TEST(LazyHttpClient, CapSetBeforeLoadingHoldsAndCancelEndsTheWait)
{
    LoopbackServer server;
    ASSERT_TRUE(server.started());
    LazyHttpClient http({QStringLiteral(LIRAVO_NETWORK_MODULE)});
    http.setMaxBodyBytes(64 * 1024);
    HttpClient::Response r = http.get(server.url(QStringLiteral("/mp3/1/s1.mp3")));
    EXPECT_EQ(r.error, HttpClient::Error::TooLarge);
    http.setMaxBodyBytes(16 << 20);
    EXPECT_TRUE(http.get(server.url(QStringLiteral("/mp3/1/s1.mp3"))).ok());

    LoopbackServer hanging({QStringLiteral("--hang")});
    ASSERT_TRUE(hanging.started());
    QTimer::singleShot(200, [&] { http.cancel(); });
    QElapsedTimer clock;
    clock.start();
    r = http.get(hanging.url(QStringLiteral("/")));
    EXPECT_EQ(r.error, HttpClient::Error::Canceled);
    EXPECT_LT(clock.elapsed(), 1500);
}

TEST(LazyHttpClient, TimeLimitSetBeforeLoadingHoldsAndBusyShowsDuringTheWait)
{
    LoopbackServer hanging({QStringLiteral("--hang")});
    ASSERT_TRUE(hanging.started());
    LazyHttpClient http({QStringLiteral(LIRAVO_NETWORK_MODULE)});
    http.setTimeoutMs(800);

    bool sawBusy = false;
    QTimer::singleShot(200, [&] { sawBusy = http.busy(); });
    QElapsedTimer clock;
    clock.start();
    const HttpClient::Response r = http.get(hanging.url(QStringLiteral("/")));
    EXPECT_EQ(r.error, HttpClient::Error::Timeout);
    EXPECT_LT(clock.elapsed(), 800 + 1500);  // not the 15-s default
    EXPECT_TRUE(sawBusy);
    EXPECT_FALSE(http.busy());

    // A limit changed after loading reaches the loaded client too.
    http.setTimeoutMs(400);
    clock.restart();
    EXPECT_EQ(http.get(hanging.url(QStringLiteral("/"))).error, HttpClient::Error::Timeout);
    EXPECT_LT(clock.elapsed(), 800);
}

// The program itself starts without the network stack and its Kerberos and
// proxy libraries; they come with the module.
TEST(LazyHttpClient, ProgramDoesNotLinkTheNetworkStack)
{
    QProcess ldd;
    ldd.start(QStringLiteral("ldd"), {QStringLiteral(LIRAVO_BINARY)});
    if (!ldd.waitForFinished(20000) || ldd.exitCode() != 0)
        GTEST_SKIP() << "ldd not available";
    const QByteArray libs = ldd.readAllStandardOutput();
    EXPECT_FALSE(libs.contains("libQt6Network")) << libs.constData();
    EXPECT_FALSE(libs.contains("libkrb5")) << libs.constData();
    EXPECT_FALSE(libs.contains("libproxy")) << libs.constData();
    EXPECT_TRUE(libs.contains("libQt6Widgets")) << libs.constData();
}
