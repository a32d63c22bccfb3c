// SPDX-License-Identifier: GPL-3.0-or-later
// End to end with the real audio engine: search the loopback service, add a
// result, play it; the MP3 streams from the service and its tags reach the
// player. A search that hangs afterwards does not stop the music.
#include "playback/player.h"
#include "windows/mainviewmodel.h"
#include "online/addressresolver.h"
#include "windows/searchwindow.h"
#include "engine/gstplayer.h"
#include "net/qthttpclient.h"
#include "support/fakeservices.h"
#include "support/loopbackserver.h"

#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

TEST(OnlinePlayback, SearchAddPlayStreamsFromTheServiceWithItsTags)
{
    LoopbackServer server({QStringLiteral("--seconds"), QStringLiteral("20")});
    ASSERT_TRUE(server.started());
    LoopbackServer hanging({QStringLiteral("--hang")});
    ASSERT_TRUE(hanging.started());

    // The real engine and HTTP client among the fakes.
    GstPlayer::Options options;
    options.audioOutput = QStringLiteral("null");
    GstPlayer player(options);
    QtHttpClient http;
    FakeServices fakes{{.player = &player, .http = &http}};
    Settings &settings = fakes.settings;
    FakeDialogs &dialogs = fakes.dialogs;
    const QString net = QStringLiteral("网络");
    storeEntry(settings, Settings::sharedAppName(), net, QStringLiteral("搜索主机"), server.host());
    storeEntry(settings, Settings::sharedAppName(), net, QStringLiteral("查询主机"), server.host());
    storeEntry(settings, Settings::sharedAppName(), net, QStringLiteral("超时毫秒"), QStringLiteral("1500"));
    AppContext &ctx = fakes.ctx;
    ctx.services.resolver = makeResolver(ctx.services);

    MainViewModel controller(ctx);
    SearchWindow w(ctx.services, ctx.session, ctx.player, ctx.windows());
    w.show();
    // The page names no singer for this song; its file's tag does.
    w.findChild<QLineEdit *>(QStringLiteral("Text1"))->setText(QStringLiteral("小调"));
    w.search();
    auto *list = w.findChild<QListWidget *>(QStringLiteral("List1"));
    ASSERT_EQ(list->count(), 1);
    EXPECT_EQ(list->item(0)->text(), QStringLiteral("无名小调"));

    list->setCurrentRow(0);
    w.addAndPlayCurrentLine();
    ASSERT_EQ(heldCollection(ctx.player).count, 1);
    EXPECT_TRUE(heldCollection(ctx.player).entry(1).address.startsWith(server.url(QStringLiteral("/mp3/"))));
    ASSERT_TRUE(QTest::qWaitFor([&] { return player.playState() == MediaPlayer::Playing; }, 15000))
        << "state " << int(player.playState());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !player.title().isEmpty(); }, 5000));
    EXPECT_EQ(player.title(), QStringLiteral("无名小调"));
    EXPECT_EQ(player.author(), QStringLiteral("佚名"));
    EXPECT_TRUE(server.requests().last().startsWith(QStringLiteral("/mp3/")));

    // The playback tick fills the missing singer from the tag.
    ctx.player.tick();
    EXPECT_EQ(heldCollection(ctx.player).entry(1).singer, QStringLiteral("佚名"));
    EXPECT_EQ(controller.labelText(MainViewModel::Singer), QStringLiteral("佚名"));
    EXPECT_EQ(controller.labelText(MainViewModel::SongName), QStringLiteral("无名小调"));

    // Now the search service stops answering: the search gives up within the
    // limit with a message, and the song plays on.
    storeEntry(settings, Settings::sharedAppName(), net, QStringLiteral("搜索主机"), hanging.host());
    // The tick keeps firing during the wait and skips while the page is out.
    int ticksWhileBusy = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        ticksWhileBusy += http.busy() ? 1 : 0;
        ctx.player.tick();
    });
    timer.start(100);
    w.findChild<QLineEdit *>(QStringLiteral("Text1"))->setText(QStringLiteral("周杰伦"));
    w.search();
    timer.stop();
    EXPECT_GE(ticksWhileBusy, 5);
    EXPECT_EQ(dialogs.count(QStringLiteral("message")), 1);
    QTest::qWait(300);
    EXPECT_EQ(player.playState(), MediaPlayer::Playing);
    ctx.player.tick();
    EXPECT_EQ(controller.labelText(MainViewModel::SongName), QStringLiteral("无名小调"));
    player.stop();
}
