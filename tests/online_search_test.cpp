// SPDX-License-Identifier: GPL-3.0-or-later
// Scraping result pages and resolving MP3 addresses, over canned replies.
#include "ui/appcontext.h"
#include "base/settings.h"
#include "online/addressresolver.h"
#include "online/encodeurl.h"
#include "online/songsearch.h"
#include "store/memorysettingsbackend.h"
#include "support/fakes.h"
#include "support/fakeservices.h"

#include <gtest/gtest.h>

namespace {

const QString kHost = QStringLiteral("search.test");
const QString kLookup = QStringLiteral("lookup.test");

struct Result {
    QString title;
    QString singer; // "" = no singer link
};

// A result page laid out as the scraper expects: one comment ahead of the
// results, a comment before each title, singer links, and the "users who
// like this song" block after the last result.
QByteArray page(const QList<Result> &results, bool next, bool endBlock = true)
{
    QString html = QStringLiteral("<html><head><!-- wap --></head><body>\r\n");
    for (const Result &r : results) {
        html += QStringLiteral("<a href=\"play.jsp\"><!--t-->") + r.title + QStringLiteral("</a>");
        if (!r.singer.isEmpty())
            html += QStringLiteral(" <a href=\"/singerDetail.jsp?s=1\">") + r.singer
                    + QStringLiteral("</a>");
        html += QStringLiteral("\r\n");
    }
    if (endBlock)
        html += QStringLiteral("<a><!--f-->喜欢这首歌的用户<br>还喜欢</a>");
    if (next)
        html += QStringLiteral("<a href=\"?p=next\">下一页</a>");
    return html.toUtf8();
}

QString wire(const QString &text, int p)
{
    return encodeUrl(searchPageUrl(kHost, text, p));
}

} // namespace

TEST(SearchSongs, UrlCarriesTheQueryKeysInOrder)
{
    EXPECT_EQ(searchPageUrl(QStringLiteral("h:81"), QStringLiteral("a b&c"), 12),
              QStringLiteral("http://h:81/music/musicSearchResult.jsp?mode=1&uID=xbrqeltwyna-kiQv"
                             "&v=2&p=12&w=1104&keyword=a b&c"));
}

TEST(SearchSongs, EmptyTextAsksNothing)
{
    FakeHttpClient http;
    FakeDialogs dialogs;
    const SearchOutcome out = searchSongs(http, kHost, QString(), false, &dialogs, {.timeoutMs = 15000});
    EXPECT_EQ(out.songs.count, 0);
    EXPECT_TRUE(http.requested.isEmpty());
    EXPECT_TRUE(dialogs.asked.isEmpty());
}

TEST(SearchSongs, PagesAccumulateUntilNoNextPage)
{
    FakeHttpClient http;
    FakeDialogs dialogs;
    const QString kw = QStringLiteral("周杰伦");
    const QString hl = QStringLiteral("<span class='keyword'>周杰伦</span>");
    http.respond(wire(kw, 1), page({{QStringLiteral("稻香"), hl},
                                    {QStringLiteral("晴\t天\r\n"), QStringLiteral("周杰伦\r")},
                                    {QStringLiteral("稻香 (Live)"), hl}},
                                   true));
    http.respond(wire(kw, 2), page({{QStringLiteral("夜曲"), hl}}, false));
    const SearchOutcome out = searchSongs(http, kHost, kw, false, &dialogs, {.timeoutMs = 15000});

    ASSERT_EQ(http.requested.size(), 2);
    EXPECT_TRUE(http.requested[1].contains(QStringLiteral("&p=2&")));
    EXPECT_TRUE(http.requested[1].endsWith(QStringLiteral("keyword=%E5%91%A8%E6%9D%B0%E4%BC%A6")));
    ASSERT_EQ(out.songs.count, 4);
    EXPECT_EQ(out.songs.entry(1).songName, QStringLiteral("稻香"));
    EXPECT_EQ(out.songs.entry(1).singer, QStringLiteral("周杰伦"));
    EXPECT_EQ(out.songs.entry(2).songName, QStringLiteral("晴天"));
    EXPECT_EQ(out.songs.entry(2).singer, QStringLiteral("周杰伦"));
    EXPECT_EQ(out.songs.entry(3).songName, QStringLiteral("稻香 ("));
    EXPECT_EQ(out.songs.entry(4).songName, QStringLiteral("夜曲"));
    for (int n = 1; n <= 4; ++n) {
        EXPECT_TRUE(out.songs.entry(n).address.isEmpty());
        EXPECT_FALSE(out.songs.entry(n).isLocal);
    }
    EXPECT_FALSE(out.songs.saved);
    EXPECT_FALSE(out.failed());
    EXPECT_TRUE(dialogs.asked.isEmpty());
}

TEST(SearchSongs, TitleLengthAndSingerCleaning)
{
    SongCollection c;
    const QString t30(30, QChar(0x6B4C));
    const QString t31(31, QChar(0x6B4C));
    // A singer link whose opening tag never closes with "\">" keeps ".jsp?".
    QString html = QString::fromUtf8(page({{t31, QStringLiteral("甲")},
                                           {t30, QStringLiteral("乙")},
                                           {QString(), QStringLiteral("丙")}},
                                          false));
    EXPECT_FALSE(scrapeResultPage(html, c));
    ASSERT_EQ(c.count, 1);
    EXPECT_EQ(c.entry(1).songName, t30);
    // Singers pair with titles by position, dropped titles included.
    EXPECT_EQ(c.entry(1).singer, QStringLiteral("乙"));

    SongCollection d;
    html = QStringLiteral("<!--h--><a><!--t-->歌</a><a href='/singerDetail/i.jsp?x'>某人</a>"
                          "<a><!--e--><br></a>");
    scrapeResultPage(html, d);
    ASSERT_EQ(d.count, 1);
    EXPECT_EQ(d.entry(1).singer, QString());
}

TEST(SearchSongs, PageWithoutEndBlockRepeatsUntilFifty)
{
    // Past the last "-->" counting starts over at the top of the page, so
    // the titles come round again until the 51st iteration ends the page.
    SongCollection c;
    const QString html = QString::fromUtf8(
        page({{QStringLiteral("一"), QString()}, {QStringLiteral("二"), QString()}}, false, false));
    scrapeResultPage(html, c);
    // Occurrences cycle t1, t2, miss, page head (too long to keep): 50
    // iterations keep 26 titles.
    EXPECT_EQ(c.count, 26);
    EXPECT_EQ(c.entry(26).songName, QStringLiteral("二"));
    EXPECT_EQ(c.entry(1).songName, QStringLiteral("一"));
    EXPECT_EQ(c.entry(2).songName, QStringLiteral("二"));
}

TEST(SearchSongs, NoResultPageShowsTheMessageUnlessQuiet)
{
    FakeHttpClient http;
    FakeDialogs dialogs;
    const QString kw = QStringLiteral("无此歌");
    http.respond(wire(kw, 1), QStringLiteral("<html>抱歉，没有找到您搜索的歌曲</html>").toUtf8());
    SearchOutcome out = searchSongs(http, kHost, kw, false, &dialogs, {.timeoutMs = 15000});
    EXPECT_TRUE(out.noResult);
    EXPECT_EQ(out.songs.count, 0);
    ASSERT_EQ(dialogs.asked.size(), 1);
    EXPECT_EQ(dialogs.asked[0].text, QStringLiteral("没有找到相关曲目"));
    EXPECT_EQ(dialogs.asked[0].title, QStringLiteral("歌曲没有找到"));

    out = searchSongs(http, kHost, kw, true, &dialogs, {.timeoutMs = 15000});
    EXPECT_FALSE(out.noResult);
    EXPECT_EQ(dialogs.asked.size(), 1);

    // On a later page the earlier results are kept.
    const QString kw2 = QStringLiteral("两页");
    http.respond(wire(kw2, 1), page({{QStringLiteral("甲"), QString()}}, true));
    http.respond(wire(kw2, 2), QStringLiteral("抱歉，没有找到您搜索").toUtf8());
    out = searchSongs(http, kHost, kw2, false, &dialogs, {.timeoutMs = 15000});
    EXPECT_EQ(out.songs.count, 1);
    EXPECT_EQ(dialogs.asked.size(), 2);
}

TEST(SearchSongs, FailureKeepsEarlierPagesAndIsReported)
{
    FakeHttpClient http;
    FakeDialogs dialogs;
    const QString kw = QStringLiteral("x");
    http.respond(wire(kw, 1), page({{QStringLiteral("甲"), QString()}}, true));
    http.fail(wire(kw, 2), HttpClient::Error::Timeout);
    const SearchOutcome out = searchSongs(http, kHost, kw, false, &dialogs, {.timeoutMs = 15000});
    EXPECT_EQ(out.error, HttpClient::Error::Timeout);
    EXPECT_EQ(out.songs.count, 1);
    ASSERT_EQ(dialogs.asked.size(), 1);
    EXPECT_TRUE(dialogs.asked[0].text.contains(QStringLiteral("超时")));

    // An empty page is not a failure: it simply has no results.
    FakeHttpClient http2;
    http2.respond(wire(kw, 1), QByteArray());
    const SearchOutcome empty = searchSongs(http2, kHost, kw, false, &dialogs, {.timeoutMs = 15000});
    EXPECT_FALSE(empty.failed());
    EXPECT_EQ(empty.songs.count, 0);
    EXPECT_EQ(dialogs.asked.size(), 1);
}

TEST(SearchSongs, EndlessNextPagesStopAtCapacity)
{
    // Every page offers "下一页": the search must still end, with 100 songs.
    FakeHttpClient http;
    const QString kw = QStringLiteral("k");
    QList<Result> results;
    for (int i = 0; i < 30; ++i)
        results.append({QStringLiteral("歌%1").arg(i), QString()});
    for (int p = 1; p <= 10; ++p)
        http.respond(wire(kw, p), page(results, true));
    const SearchOutcome out = searchSongs(http, kHost, kw, false, nullptr, {.timeoutMs = 15000});
    EXPECT_EQ(out.songs.count, 100);
    EXPECT_EQ(http.requested.size(), 4);
    EXPECT_EQ(out.songs.entry(100).songName, QStringLiteral("歌9"));

    // Pages that say "下一页" but keep nothing are followed, up to the page cap.
    FakeHttpClient http2;
    for (int p = 1; p <= kMaxPages + 5; ++p)
        http2.respond(wire(kw, p), "<html>下一页</html>");
    const SearchOutcome none = searchSongs(http2, kHost, kw, false, nullptr, {.timeoutMs = 15000});
    EXPECT_EQ(none.songs.count, 0);
    EXPECT_FALSE(none.failed());
    EXPECT_EQ(http2.requested.size(), kMaxPages);
}

namespace {

QByteArray lookupReply(const QList<QPair<QString, QString>> &candidates)
{
    QString xml = QStringLiteral("<?xml version=\"1.0\"?><result><count>%1</count>")
                      .arg(candidates.size());
    for (const auto &c : candidates)
        xml += QStringLiteral("<url><encode><![CDATA[") + c.first
               + QStringLiteral("]]></encode><decode><![CDATA[") + c.second
               + QStringLiteral("]]></decode></url>");
    return (xml + QStringLiteral("</result>")).toUtf8();
}

QString lookupWire(const QString &name, const QString &singer)
{
    return encodeUrl(lookupUrl(kLookup, name, singer));
}

} // namespace

TEST(ResolveMp3Address, ReplyParsing)
{
    // The first candidate's directory and its decoded name.
    EXPECT_EQ(addressFromLookupReply(QString::fromUtf8(lookupReply(
                  {{QStringLiteral("http://a.b/d/e/xyz.mp3?k=1"), QStringLiteral("real.mp3?x=2")}}))),
              QStringLiteral("http://a.b/d/e/real.mp3?x=2"));
    // The first name has no ".mp3": the second candidate supplies both parts.
    EXPECT_EQ(addressFromLookupReply(QString::fromUtf8(lookupReply(
                  {{QStringLiteral("http://one/a/x.wma"), QStringLiteral("x.wma")},
                   {QStringLiteral("http://two/b/y.mp3"), QStringLiteral("y.mp3")}}))),
              QStringLiteral("http://two/b/y.mp3"));
    // "<decode>" elements but no "http": the bare "http" then the name.
    EXPECT_EQ(addressFromLookupReply(QStringLiteral(
                  "<r><decode><![CDATA[z.mp3]]></decode></r>")),
              QStringLiteral("httpz.mp3"));
    // No candidate with ".mp3": the walk ends one past the last decode.
    EXPECT_EQ(addressFromLookupReply(QString::fromUtf8(lookupReply(
                  {{QStringLiteral("http://one/a/x.wma"), QStringLiteral("x.wma")}}))),
              QStringLiteral("http"));
    EXPECT_EQ(addressFromLookupReply(QStringLiteral("<count>1</count> http://x]]")), QString());
    EXPECT_TRUE(lookupFoundNothing(QString()));
    EXPECT_TRUE(lookupFoundNothing(QStringLiteral("<r><count>0</count></r>")));
    EXPECT_FALSE(lookupFoundNothing(QStringLiteral("<r><count>1</count></r>")));
}

TEST(ResolveMp3Address, RetriesWithoutSingerAndLeavesTheSingerAlone)
{
    FakeHttpClient http;
    FakeDialogs dialogs;
    const QString name = QStringLiteral("稻香"), singer = QStringLiteral("周杰伦");
    EXPECT_EQ(lookupUrl(kLookup, name, singer),
              QStringLiteral("http://lookup.test/x?op=12&count=1&title=稻香$$周杰伦$$$$"));
    EXPECT_EQ(lookupUrl(kLookup, name, QString()),
              QStringLiteral("http://lookup.test/x?op=12&count=1&title=稻香$$$$"));

    http.respond(lookupWire(name, singer), "<result><count>0</count></result>");
    http.respond(lookupWire(name, QString()),
                 lookupReply({{QStringLiteral("http://m/d/q.mp3"), QStringLiteral("r.mp3")}}));
    const QString callerSinger = singer;
    ResolveOutcome out = resolveMp3Address(http, kLookup, name, callerSinger, true, &dialogs, 15000);
    EXPECT_EQ(out.address, QStringLiteral("http://m/d/r.mp3"));
    EXPECT_EQ(out.requests, 2);
    EXPECT_EQ(callerSinger, singer);
    EXPECT_EQ(http.requested.value(1), lookupWire(name, QString()));

    // Empty singer and nothing found: one request, then the message.
    FakeHttpClient http2;
    http2.respond(lookupWire(name, QString()), QByteArray());
    out = resolveMp3Address(http2, kLookup, name, QString(), false, &dialogs, 15000);
    EXPECT_EQ(out.address, QString());
    EXPECT_EQ(http2.requested.size(), 1);
    ASSERT_EQ(dialogs.asked.size(), 1);
    EXPECT_EQ(dialogs.asked[0].text,
              QStringLiteral("这首歌没有找到：\r\n歌曲名：稻香\r\n歌手："));
    EXPECT_EQ(dialogs.asked[0].title, QStringLiteral("Liravo"));
}

TEST(ResolveMp3Address, UnreachableServiceIsNotFoundAndQuietIsSilent)
{
    FakeHttpClient http; // every URL fails as a transport error
    FakeDialogs dialogs;
    ResolveOutcome out = resolveMp3Address(http, kLookup, QStringLiteral("a"), QStringLiteral("b"),
                                           true, &dialogs, 15000);
    EXPECT_TRUE(out.failed());
    EXPECT_TRUE(out.address.isEmpty());
    EXPECT_EQ(out.requests, 1); // no retry: the service was not reached at all
    EXPECT_TRUE(dialogs.asked.isEmpty());

    out = resolveMp3Address(http, kLookup, QStringLiteral("a"), QStringLiteral("b"), false,
                            &dialogs, 15000);
    ASSERT_EQ(dialogs.asked.size(), 1);
    EXPECT_TRUE(dialogs.asked[0].text.contains(QStringLiteral("无法")));
}

TEST(ResolveMp3Address, ContextResolverUsesTheSettingsHosts)
{
    FakeServices fakes;
    FakeHttpClient &http = fakes.http;
    AppContext &ctx = fakes.ctx;
    storeEntry(fakes.settings, Settings::sharedAppName(), QStringLiteral("网络"), QStringLiteral("查询主机"),
                        QStringLiteral("127.0.0.1:9"));
    storeEntry(fakes.settings, Settings::sharedAppName(), QStringLiteral("网络"), QStringLiteral("超时毫秒"),
                        QStringLiteral("3000"));
    const AddressResolver resolve = makeResolver(ctx.services);
    EXPECT_EQ(resolve(QStringLiteral("歌"), QString(), true), QString());
    ASSERT_EQ(http.requested.size(), 1);
    EXPECT_TRUE(http.requested[0].startsWith(QStringLiteral("http://127.0.0.1:9/x?op=12")));
    EXPECT_EQ(http.timeoutMs, 3000);
    EXPECT_TRUE(fakes.dialogs.asked.isEmpty());

    // Defaults: the historical hosts and 15 s.
    MemorySettingsBackend fresh;
    Settings s2(fresh, QStringLiteral("Liravo"));
    FakeServices withDefaults{{.settings = &s2, .dialogs = &fakes.dialogs, .http = &http}};
    searchSongs(withDefaults.ctx.services, QStringLiteral("a"), true);
    EXPECT_TRUE(http.requested.last().startsWith(QStringLiteral("http://wap.sogou.com/music/")));
    EXPECT_EQ(http.timeoutMs, 15000);
}
