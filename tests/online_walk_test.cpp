// SPDX-License-Identifier: GPL-3.0-or-later
// The one-pass walks give exactly what the plain rules give (each piece
// taken by cutBetween from the top), on many random texts built from the
// markers that matter. The result page takes its pieces through MarkerCuts.
#include "online/addressresolver.h"
#include "support/cutbetween.h"
#include "online/markercuts.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

#include <limits>

namespace {

QString randomText(QRandomGenerator &rng, const QStringList &tokens, int maxTokens)
{
    QString s;
    const int n = int(rng.bounded(maxTokens + 1));
    for (int i = 0; i < n; ++i)
        s += tokens[int(rng.bounded(qsizetype(tokens.size())))];
    return s;
}

// The reply rules as written: every candidate taken again from the top.
QString referenceAddress(const QString &reply)
{
    const QString http = QStringLiteral("http");
    QString address = http + cutBetween(reply, http, QStringLiteral("]]"), 1);
    QString decode = cutBetween(reply, QStringLiteral("<decode>"), QStringLiteral("</decode>"), 1);
    if (decode.isEmpty())
        return {};
    QString fileName = cutBetween(decode, QStringLiteral("CDATA["), QStringLiteral("]"), 1);
    for (int k = 2; !fileName.isEmpty() && !fileName.contains(QLatin1String(".mp3")); ++k) {
        if (k > std::numeric_limits<qint16>::max())
            return {};
        address = http + cutBetween(reply, http, QStringLiteral("]]"), qint16(k));
        decode = cutBetween(reply, QStringLiteral("<decode>"), QStringLiteral("</decode>"), qint16(k));
        fileName = cutBetween(decode, QStringLiteral("CDATA["), QStringLiteral("]]"), 1);
    }
    if (address.contains(QLatin1String(".mp3")))
        address.truncate(address.lastIndexOf(QLatin1Char('/')) + 1);
    return address + fileName;
}

} // namespace

TEST(MarkerCuts, SameAsCutBetweenInAnyOrder)
{
    QRandomGenerator rng(11);
    const QStringList tokens{"[", "]", "]]", "a", "[[", "ab", "-->", "</a>", "-"};
    const QList<QPair<QString, QString>> markers{
        {"[", "]"}, {"[", "]]"}, {"ab", "]"}, {"[[", "["}, {"-->", "</a>"}};
    for (int round = 0; round < 4000; ++round) {
        const QString text = randomText(rng, tokens, 12);
        for (const auto &m : markers) {
            MarkerCuts cuts(text, m.first, m.second);
            for (int i = 0; i < 16; ++i) {
                // Mostly forward, sometimes back: wrap-around and revisits.
                const int n = i < 10 ? i + 1 : int(rng.bounded(30)) + 1;
                ASSERT_EQ(cuts.cut(n), cutBetween(text, m.first, m.second, qint16(n)))
                    << text.toStdString() << " n=" << n << " " << m.first.toStdString();
            }
        }
    }
}

TEST(LookupReplyWalk, SameAsTheRulesOnRandomReplies)
{
    QRandomGenerator rng(7);
    const QStringList tokens{"http", "]]", "]", "<decode>", "</decode>", "CDATA[",
                             ".mp3", "x", "/", "h", "<decode><![CDATA[a.mp3]]></decode>"};
    for (int round = 0; round < 30000; ++round) {
        const QString reply = randomText(rng, tokens, 24);
        ASSERT_EQ(addressFromLookupReply(reply), referenceAddress(reply)) << reply.toStdString();
    }
}
