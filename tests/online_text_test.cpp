// SPDX-License-Identifier: GPL-3.0-or-later
// Percent-encoding, decoding, cutting between markers and the page fetch on
// top of them.
#include "online/bytestotext.h"
#include "support/cutbetween.h"
#include "online/encodeurl.h"
#include "online/fetchpage.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

TEST(EncodeUrl, EncodesNonAsciiAsUtf8AndLeavesAsciiAlone)
{
    EXPECT_EQ(encodeUrl(QStringLiteral("稻香")), QStringLiteral("%E7%A8%BB%E9%A6%99"));
    EXPECT_EQ(encodeUrl(QString(QChar(0x00E9))), QStringLiteral("%C3%A9"));
    EXPECT_EQ(encodeUrl(QString(QChar(0x07FF))), QStringLiteral("%DF%BF"));
    EXPECT_EQ(encodeUrl(QString(QChar(0x0800))), QStringLiteral("%E0%A0%80"));
    EXPECT_EQ(encodeUrl(QString(QChar(0x0080))), QStringLiteral("%C2%80"));
    EXPECT_EQ(encodeUrl(QString(QChar(0xFFFF))), QStringLiteral("%EF%BF%BF"));
    EXPECT_EQ(encodeUrl(QStringLiteral("ab c=1&d")), QStringLiteral("ab c=1&d"));
    EXPECT_EQ(encodeUrl(QString()), QString());

    QString ascii;
    for (int c = 0; c < 0x80; ++c)
        ascii += QChar(c);
    EXPECT_EQ(encodeUrl(ascii), ascii);

    EXPECT_EQ(encodeUrl(QStringLiteral("http://h/x?title=晴天$$周杰伦$$$$")),
              QStringLiteral("http://h/x?title=%E6%99%B4%E5%A4%A9$$%E5%91%A8%E6%9D%B0%E4%BC%A6$$$$"));
}

TEST(EncodeUrl, SurrogatePairGivesTwoThreeByteGroups)
{
    // U+1F3B5 is D83C DFB5 in UTF-16; each half is encoded on its own.
    const QString note = QString::fromUcs4(U"\U0001F3B5");
    ASSERT_EQ(note.size(), 2);
    EXPECT_EQ(encodeUrl(note), QStringLiteral("%ED%A0%BC%ED%BE%B5"));
}

TEST(CutBetween, OccurrencesAndWrapAround)
{
    const QString t = QStringLiteral("a[x][y]");
    const QString s = QStringLiteral("["), e = QStringLiteral("]");
    EXPECT_EQ(cutBetween(t, s, e, 1), QStringLiteral("x"));
    EXPECT_EQ(cutBetween(t, s, e, 2), QStringLiteral("y"));
    EXPECT_EQ(cutBetween(t, s, e, 3), QString());
    EXPECT_EQ(cutBetween(t, s, e, 4), QStringLiteral("x"));
    EXPECT_EQ(cutBetween(t, s, e, 5), QStringLiteral("y"));
    EXPECT_EQ(cutBetween(QStringLiteral("[x]"), s, e, 1), QString());
    EXPECT_EQ(cutBetween(QStringLiteral("a[]"), s, e, 1), QString());
    EXPECT_EQ(cutBetween(QString(), s, e, 1), QString());
    EXPECT_EQ(cutBetween(QStringLiteral("a[x"), s, e, 1), QString());
}

TEST(CutBetween, MarkerAtTopIsFoundOnlyAfterAMiss)
{
    // The first pass skips position 1; after the miss, counting restarts at
    // the top and the leading marker is taken.
    const QString t = QStringLiteral("[a][b]");
    const QString s = QStringLiteral("["), e = QStringLiteral("]");
    EXPECT_EQ(cutBetween(t, s, e, 1), QStringLiteral("b"));
    EXPECT_EQ(cutBetween(t, s, e, 2), QString());
    EXPECT_EQ(cutBetween(t, s, e, 3), QStringLiteral("a"));
}

TEST(CutBetween, MultiCharacterMarkersAndCase)
{
    const QString page = QStringLiteral("<!--h--><a><!--t-->稻香</a><a><!--t-->晴天</a>");
    EXPECT_EQ(cutBetween(page, QStringLiteral("-->"), QStringLiteral("</a>"), 2), QStringLiteral("稻香"));
    EXPECT_EQ(cutBetween(page, QStringLiteral("-->"), QStringLiteral("</a>"), 3), QStringLiteral("晴天"));
    EXPECT_EQ(cutBetween(page, QStringLiteral("-->"), QStringLiteral("</A>"), 2), QString());
    // An end marker that overlaps the start marker must not read backwards.
    EXPECT_EQ(cutBetween(QStringLiteral("xab"), QStringLiteral("ab"), QStringLiteral("b"), 1), QString());
    EXPECT_EQ(cutBetween(QStringLiteral("a[x]"), QStringLiteral("["), QStringLiteral("]"), 0), QString());
    EXPECT_EQ(cutBetween(QStringLiteral("a[x]"), QStringLiteral("["), QStringLiteral("]"), -3), QString());
}

TEST(BytesToText, DecodesByNameAndFailsEmpty)
{
    const QByteArray utf8 = QStringLiteral("周杰伦").toUtf8();
    EXPECT_EQ(bytesToText(utf8, QStringLiteral("utf-8")), QStringLiteral("周杰伦"));
    EXPECT_EQ(bytesToText(utf8, QStringLiteral("UTF-8")), QStringLiteral("周杰伦"));
    EXPECT_EQ(bytesToText("\xEF\xBB\xBF" + utf8, QStringLiteral("utf-8")), QStringLiteral("周杰伦"));
    EXPECT_EQ(bytesToText(QByteArray("\xE9", 1), QStringLiteral("ISO-8859-1")), QString(QChar(0xE9)));
    EXPECT_EQ(bytesToText(QByteArray("a\0b", 3), QStringLiteral("utf-8")), QString::fromLatin1("a\0b", 3));
    EXPECT_EQ(bytesToText(utf8, QStringLiteral("no-such-charset")), QString());
    EXPECT_EQ(bytesToText(utf8, QString()), QString());
    // Malformed bytes become U+FFFD and the rest stays; only a body with
    // nothing decodable is "".
    const QString bad(QChar::ReplacementCharacter);
    EXPECT_EQ(bytesToText(QByteArray("ok \xFF\xFE bad"), QStringLiteral("utf-8")),
              QStringLiteral("ok ") + bad + bad + QStringLiteral(" bad"));
    const QString cut = bytesToText(utf8.left(utf8.size() - 1), QStringLiteral("utf-8"));
    EXPECT_TRUE(cut.startsWith(QStringLiteral("周杰")) && cut.endsWith(bad));
    EXPECT_EQ(bytesToText(QByteArray("caf\xE9!"), QStringLiteral("utf-8")), QStringLiteral("caf") + bad + "!");
    EXPECT_EQ(bytesToText(QByteArray("\xFF\xC0\x80"), QStringLiteral("utf-8")), QString());
}

TEST(FetchPage, SendsTheEncodedUrlAndTellsFailureFromEmpty)
{
    FakeHttpClient http;
    http.respond(QStringLiteral("http://h/a?k=%E7%A8%BB%E9%A6%99 x"), QStringLiteral("正文").toUtf8());
    FetchResult r = fetchPage(http, QStringLiteral("http://h/a?k=稻香 x"));
    EXPECT_FALSE(r.failed());
    EXPECT_EQ(r.text, QStringLiteral("正文"));
    EXPECT_EQ(http.requested.value(0), QStringLiteral("http://h/a?k=%E7%A8%BB%E9%A6%99 x"));

    http.respond(QStringLiteral("http://h/missing"), "<html>404 not here</html>", 404);
    r = fetchPage(http, QStringLiteral("http://h/missing"));
    EXPECT_FALSE(r.failed());
    EXPECT_EQ(r.text, QStringLiteral("<html>404 not here</html>"));

    http.respond(QStringLiteral("http://h/empty"), QByteArray());
    r = fetchPage(http, QStringLiteral("http://h/empty"));
    EXPECT_FALSE(r.failed());
    EXPECT_TRUE(r.text.isEmpty());

    http.fail(QStringLiteral("http://h/cut"), HttpClient::Error::Incomplete);
    r = fetchPage(http, QStringLiteral("http://h/cut"));
    EXPECT_EQ(r.error, HttpClient::Error::Incomplete);
    EXPECT_TRUE(r.text.isEmpty());

    r = fetchPage(http, QStringLiteral("http://unknown/"));
    EXPECT_EQ(r.error, HttpClient::Error::Transport);
    EXPECT_TRUE(r.text.isEmpty());
    EXPECT_FALSE(describeFetchFailure(r, 15000).isEmpty());

    FetchResult timeout;
    timeout.error = HttpClient::Error::Timeout;
    EXPECT_TRUE(describeFetchFailure(timeout, 15000).contains(QStringLiteral("15 秒")));
    EXPECT_TRUE(describeFetchFailure(FetchResult{}, 15000).isEmpty());
}
