// SPDX-License-Identifier: GPL-3.0-or-later
// The Qt Network client against the loopback service: bodies, statuses,
// broken transfers, refused ports and servers that never answer.
#include "online/fetchpage.h"
#include "net/qthttpclient.h"
#include "support/loopbackserver.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTimer>
#include <gtest/gtest.h>

TEST(QtHttpClient, BodiesStatusesAndTheWireForm)
{
    LoopbackServer server;
    ASSERT_TRUE(server.started());
    QtHttpClient http;

    HttpClient::Response r = http.get(server.url(QStringLiteral("/status/404")));
    EXPECT_EQ(r.error, HttpClient::Error::None);
    EXPECT_EQ(r.status, 404);
    EXPECT_EQ(r.body, QByteArray("<html>status 404</html>"));

    r = http.get(server.url(QStringLiteral("/status/500")));
    EXPECT_TRUE(r.ok());
    EXPECT_EQ(r.status, 500);

    r = http.get(server.url(QStringLiteral("/empty")));
    EXPECT_TRUE(r.ok());
    EXPECT_EQ(r.status, 200);
    EXPECT_TRUE(r.body.isEmpty());

    // A raw space goes out as %20; "&", "$" and escapes stay as they are.
    const FetchResult page = fetchPage(
        http, server.url(QStringLiteral("/x?op=12&count=1&title=稻 香$$周杰伦$$$$")));
    EXPECT_FALSE(page.failed());
    EXPECT_TRUE(page.text.contains(QStringLiteral("<count>")));
    ASSERT_FALSE(server.requests().isEmpty());
    EXPECT_EQ(server.requests().last(),
              QStringLiteral("/x?op=12&count=1&title=%E7%A8%BB%20%E9%A6%99$$%E5%91%A8%E6%9D%B0%E4%BC%A6$$$$"));
    EXPECT_FALSE(http.busy());
}

TEST(QtHttpClient, CutOffBodyIsIncomplete)
{
    LoopbackServer server;
    ASSERT_TRUE(server.started());
    QtHttpClient http;
    const HttpClient::Response r = http.get(server.url(QStringLiteral("/truncated")));
    EXPECT_EQ(r.error, HttpClient::Error::Incomplete);
    EXPECT_TRUE(r.body.isEmpty());
}

TEST(QtHttpClient, RefusedPortAndBadAddressAreTransportFailures)
{
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
    const quint16 port = probe.serverPort();
    probe.close();
    QtHttpClient http;
    HttpClient::Response r = http.get(QStringLiteral("http://127.0.0.1:%1/").arg(port));
    EXPECT_EQ(r.error, HttpClient::Error::Transport);
    EXPECT_FALSE(r.errorText.isEmpty());

    r = http.get(QStringLiteral("not a url"));
    EXPECT_EQ(r.error, HttpClient::Error::Transport);
}

TEST(QtHttpClient, SilentOrTricklingServerEndsWithinTheLimit)
{
    LoopbackServer hanging({QStringLiteral("--hang")});
    ASSERT_TRUE(hanging.started());
    QtHttpClient http;
    http.setTimeoutMs(1200);
    QElapsedTimer clock;
    clock.start();
    HttpClient::Response r = http.get(hanging.url(QStringLiteral("/")));
    EXPECT_EQ(r.error, HttpClient::Error::Timeout);
    EXPECT_LT(clock.elapsed(), 1200 + 1500);
    EXPECT_GE(clock.elapsed(), 1000);

    LoopbackServer slow;
    ASSERT_TRUE(slow.started());
    clock.restart();
    r = http.get(slow.url(QStringLiteral("/slow")));
    EXPECT_EQ(r.error, HttpClient::Error::Timeout);
    EXPECT_LT(clock.elapsed(), 1200 + 1500);
}

TEST(QtHttpClient, BusyWhileWaitingAndNeverNested)
{
    LoopbackServer hanging({QStringLiteral("--hang")});
    ASSERT_TRUE(hanging.started());
    QtHttpClient http;
    http.setTimeoutMs(1000);

    // Timers still fire during the wait (windows keep painting); a second
    // request from one of them fails at once instead of nesting.
    bool sawBusy = false;
    HttpClient::Response nested;
    nested.error = HttpClient::Error::None;
    QTimer::singleShot(200, [&] {
        sawBusy = http.busy();
        nested = http.get(hanging.url(QStringLiteral("/again")));
    });
    const HttpClient::Response r = http.get(hanging.url(QStringLiteral("/")));
    EXPECT_EQ(r.error, HttpClient::Error::Timeout);
    EXPECT_TRUE(sawBusy);
    EXPECT_EQ(nested.error, HttpClient::Error::Transport);
    EXPECT_FALSE(http.busy());
}
