// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/songcollection.h"
#include "collection/pinyin.h"

#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace {

SongCollection make(std::initializer_list<SongEntry> entries)
{
    SongCollection c;
    for (const SongEntry &e : entries)
        c.entries[std::size_t(c.count++)] = e;
    return c;
}

QStringList namesInOrder(const SongCollection &c, const QList<int> &order, SortBy by)
{
    QStringList out;
    for (int n : order)
        out.append(by == SortBy::Name ? c.entry(n).songName : c.entry(n).singer);
    return out;
}

TEST(Pinyin, ReadingsAndInitials)
{
    const struct {
        QString text;
        QString pinyin;
        QString initials;
    } cases[] = {
        {QStringLiteral("周杰伦"), QStringLiteral("zhou jie lun"), QStringLiteral("zjl")},
        {QStringLiteral("稻香 (Live版)"), QStringLiteral("dao xiang live ban"), QStringLiteral("dxlb")},
        {QStringLiteral("Beyond海阔天空"), QStringLiteral("beyond hai kuo tian kong"), QStringLiteral("bhktk")},
        {QStringLiteral("123木头人"), QStringLiteral("123 mu tou ren"), QStringLiteral("1mtr")},
        {QStringLiteral("Café Ｍｕｓｉｃ"), QStringLiteral("cafe music"), QStringLiteral("cm")},
        {QStringLiteral("吕布"), QStringLiteral("lu bu"), QStringLiteral("lb")},
        {QStringLiteral("♪ — ♪"), QString(), QString()},
        {QString(), QString(), QString()},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(pinyinOf(c.text), c.pinyin) << c.text.toStdString();
        EXPECT_EQ(initialsOf(c.text), c.initials) << c.text.toStdString();
    }
}

TEST(Pinyin, Matching)
{
    const struct {
        QString name;
        QString query;
        bool matches;
    } cases[] = {
        {QStringLiteral("周杰伦"), QStringLiteral("zjl"), true},
        {QStringLiteral("周杰伦"), QStringLiteral("ZJL"), true},
        {QStringLiteral("周杰伦"), QStringLiteral("zhoujielun"), true},
        {QStringLiteral("周杰伦"), QStringLiteral("zhou jie lun"), true},
        {QStringLiteral("周杰伦"), QStringLiteral("jielun"), true},
        {QStringLiteral("周杰伦"), QStringLiteral("zhoujl"), true},
        {QStringLiteral("周杰伦"), QStringLiteral("zjlun"), true},
        {QStringLiteral("周杰伦"), QStringLiteral("周jl"), true},
        {QStringLiteral("周杰伦"), QStringLiteral("杰伦"), true},
        {QStringLiteral("周杰伦"), QStringLiteral(""), true},
        {QStringLiteral("周杰伦"), QStringLiteral("zjx"), false},
        {QStringLiteral("周杰伦"), QStringLiteral("zhoujielunx"), false},
        {QStringLiteral("周杰伦"), QStringLiteral("oujie"), false}, // starts inside a syllable
        {QStringLiteral("周杰伦"), QStringLiteral("jz"), false},    // out of order
        {QStringLiteral("周杰伦"), QStringLiteral("zl"), false},    // skips a word
        {QStringLiteral("周杰伦"), QStringLiteral("伦周"), false},
        {QStringLiteral("稻香"), QStringLiteral("daoxiang"), true},
        {QStringLiteral("稻香"), QStringLiteral("dx"), true},
        {QStringLiteral("稻香"), QStringLiteral("xiang"), true},
        {QStringLiteral("稻香"), QStringLiteral("daoxiangg"), false},
        {QStringLiteral("Beyond海阔天空"), QStringLiteral("BEYOND"), true},
        {QStringLiteral("Beyond海阔天空"), QStringLiteral("hktk"), true},
        {QStringLiteral("Beyond海阔天空"), QStringLiteral("bhk"), true},
        {QStringLiteral("Beyond海阔天空"), QStringLiteral("yond"), true}, // plain substring
        {QStringLiteral("Let It Be"), QStringLiteral("lib"), true},
        {QStringLiteral("Let It Be"), QStringLiteral("t it"), true},
        {QStringLiteral("Let It Be"), QStringLiteral("tib"), false},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(matchesPinyin(c.name, c.query), c.matches)
            << c.name.toStdString() << " / " << c.query.toStdString();
    }
}

TEST(Pinyin, AVeryLongNameIsMatchedToItsEnd)
{
    // A tag may hold anything; tens of thousands of words must neither
    // exhaust the stack nor take long.
    const PinyinName name(QString(30000, QChar(u'周')) + QStringLiteral("稻香"));
    EXPECT_TRUE(name.matches(QStringLiteral("zhouzhoudaox")));
    EXPECT_TRUE(name.matches(QStringLiteral("zzdx")));
    EXPECT_FALSE(name.matches(QStringLiteral("zzdxz")));
}

TEST(Pinyin, TheFinderLooksAtNameAndSingerAndRemembersReadings)
{
    const SongCollection c = make({
        {QStringLiteral("稻香"), {}, QStringLiteral("周杰伦"), false},
        {QStringLiteral("光辉岁月"), {}, QStringLiteral("Beyond"), false},
        {QStringLiteral("晴天"), {}, QStringLiteral("周杰伦"), false},
        {QStringLiteral("突然好想你"), {}, QStringLiteral("五月天"), false},
    });
    EntryFinder finder;
    const struct {
        QString query;
        QList<int> found;
    } cases[] = {
        {QStringLiteral("zjl"), {1, 3}},        {QStringLiteral("daoxiang"), {1}},
        {QStringLiteral("qt"), {3}},            {QStringLiteral("beyond"), {2}},
        {QStringLiteral("t"), {3, 4}},       {QStringLiteral(""), {1, 2, 3, 4}},
        {QStringLiteral("wyt"), {4}},           {QStringLiteral("xyz"), {}},
    };
    for (int round = 0; round < 2; ++round) { // the second from the remembered readings
        for (const auto &q : cases)
            EXPECT_EQ(finder.find(c, q.query), q.found) << q.query.toStdString();
    }
}

TEST(Pinyin, SortingInterleavesChineseAndLatinAndKeepsTies)
{
    const SongCollection c = make({
        {QStringLiteral("Zebra"), QStringLiteral("a"), QStringLiteral("周杰伦"), true},
        {QStringLiteral("周杰伦"), QStringLiteral("b"), QStringLiteral("Beyond"), true},
        {QStringLiteral("Apple"), QStringLiteral("c"), QStringLiteral("阿杜"), true},
        {QStringLiteral("稻香"), QStringLiteral("d"), QStringLiteral("周杰伦"), true},
        {QStringLiteral("Beyond"), QStringLiteral("e"), QString(), true},
        {QStringLiteral("爱"), QStringLiteral("f"), QStringLiteral("周杰伦"), true},
        {QStringLiteral("阿杜"), QStringLiteral("g"), QStringLiteral("abc"), true},
        {QStringLiteral("abc"), QStringLiteral("h"), QStringLiteral("周杰伦"), true},
    });
    EXPECT_EQ(namesInOrder(c, sortedEntryOrder(c, SortBy::Name), SortBy::Name),
              (QStringList{"阿杜", "abc", "爱", "Apple", "Beyond", "稻香", "Zebra", "周杰伦"}));
    // Singers: the unknown first, then equal singers in list order.
    EXPECT_EQ(sortedEntryOrder(c, SortBy::Singer), (QList<int>{5, 3, 7, 2, 1, 4, 6, 8}));
}

TEST(Pinyin, OneReadingIsOrderedByChineseCollation)
{
    // All four read "ma"; Chinese collation orders them by tone, where code
    // point order (a collator that fell back to POSIX) would put 麻 last.
    const SongCollection c = make({
        {QStringLiteral("骂"), {}, {}, false},
        {QStringLiteral("马"), {}, {}, false},
        {QStringLiteral("麻"), {}, {}, false},
        {QStringLiteral("妈"), {}, {}, false},
    });
    EXPECT_EQ(namesInOrder(c, sortedEntryOrder(c, SortBy::Name), SortBy::Name),
              (QStringList{"妈", "麻", "马", "骂"}));
}

TEST(Pinyin, SortingMovesTheCurrentEntryAlong)
{
    const struct {
        qint16 current;
        qint16 after;
    } cases[] = {{1, 3}, {2, 1}, {3, 2}, {0, 0}};
    for (const auto &k : cases) {
        SongCollection c = make({
            {QStringLiteral("周"), QStringLiteral("/z.mp3"), {}, true},
            {QStringLiteral("阿"), QStringLiteral("/a.mp3"), {}, true},
            {QStringLiteral("稻"), QStringLiteral("/d.mp3"), {}, true},
        });
        c.currentIndex = k.current;
        const SongEntry playing = k.current ? c.entry(k.current) : SongEntry{};
        sortEntries(c, SortBy::Name);
        EXPECT_EQ(c.currentIndex, k.after) << k.current;
        if (k.current) {
            EXPECT_EQ(c.entry(c.currentIndex), playing);
        }
        EXPECT_EQ(c.entry(1).address, QStringLiteral("/a.mp3"));
        EXPECT_EQ(c.count, 3);
    }
}

TEST(Pinyin, ThreadsReadAtOnce)
{
    QStringList names;
    for (char16_t base = 0x4E00; base < 0x4E00 + 2000; base += 4)
        names.append(QString(QChar(base)) + QChar(char16_t(base + 1)) + QChar(char16_t(base + 2)));
    // The threads meet characters not read before, so they reach ICU at once.
    std::vector<QStringList> seen(4);
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < seen.size(); ++t) {
        threads.emplace_back([&, t] {
            SongCollection c;
            for (const QString &n : names) {
                seen[t].append(pinyinOf(n));
                c.entry(1).songName = n;
                c.count = 1;
                sortedEntryOrder(c, SortBy::Name);
            }
        });
    }
    for (std::thread &t : threads)
        t.join();
    QStringList expected;
    for (const QString &n : names)
        expected.append(pinyinOf(n));
    EXPECT_EQ(expected.front(), QStringLiteral("yi ding kao"));
    for (const QStringList &s : seen)
        EXPECT_EQ(s, expected);
}

} // namespace
