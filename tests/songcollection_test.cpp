// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/songcollection.h"
#include "playback/playentry.h"
#include "base/settings.h"
#include "store/memorysettingsbackend.h"
#include "support/fakes.h"
#include "support/songnames.h"

#include "support/fakeservices.h"

#include <gtest/gtest.h>

namespace {

SongEntry online(const QString &name, const QString &singer = {})
{
    return SongEntry{name, {}, singer, false};
}

SongEntry local(const QString &name, const QString &path)
{
    return SongEntry{name, path, {}, true};
}

SongCollection make(std::initializer_list<SongEntry> entries)
{
    SongCollection c;
    for (const SongEntry &e : entries)
        c.entries[std::size_t(c.count++)] = e;
    return c;
}

// Every slot above count must be empty, whatever happened before.
void expectFreeSlotsEmpty(const SongCollection &c)
{
    for (int i = c.count + 1; i <= SongCollection::kCapacity; ++i)
        ASSERT_EQ(c.entry(i), SongEntry{}) << "slot " << i;
}

struct Playing : ::testing::Test {
    MemorySettingsBackend store;
    Settings settings{store, QStringLiteral("Liravo")};
    FakeMediaPlayer player;
    QStringList asked;
    QString answer = QStringLiteral("http://music.example/a.mp3");
    AddressResolver resolve = [this](const QString &name, const QString &singer, bool quiet) {
        EXPECT_TRUE(quiet);
        asked << name + QLatin1Char('/') + singer;
        return answer;
    };

    QString lastPosition()
    {
        return storedEntry(settings, Settings::sharedAppName(), "歌集", "最后的播放位置", "unset");
    }
};

} // namespace

TEST_F(Playing, EmptyCollectionChangesNothing)
{
    SongCollection c;
    c.currentIndex = 7;
    playEntry(c, 1, player, resolve, settings);
    EXPECT_EQ(c.currentIndex, 7);
    EXPECT_FALSE(c.playing);
    EXPECT_TRUE(player.calls.isEmpty());
    EXPECT_TRUE(asked.isEmpty());
    EXPECT_EQ(lastPosition(), "unset");
}

TEST_F(Playing, LocalEntryPlaysItsPathWithoutLookup)
{
    SongCollection c = make({online("A", "X"), local("b.mp3", "/music/b.mp3")});
    playEntry(c, 2, player, resolve, settings);
    EXPECT_TRUE(asked.isEmpty());
    EXPECT_EQ(player.calls, QStringList({"setUrl /music/b.mp3", "play"}));
    EXPECT_EQ(c.currentIndex, 2);
    EXPECT_TRUE(c.playing);
    EXPECT_EQ(lastPosition(), "2");
    EXPECT_EQ(store.read("Liravo", "歌集", "最后的播放位置").value_or(""), "2");
}

TEST_F(Playing, OnlineEntryIsLookedUpOnceUntilItsAddressIsCleared)
{
    SongCollection c = make({online("A", "X")});
    playEntry(c, 1, player, resolve, settings);
    playEntry(c, 1, player, resolve, settings);
    EXPECT_EQ(asked, QStringList({"A/X"}));
    EXPECT_EQ(c.entry(1).address, answer);
    EXPECT_EQ(player.urls, QStringList({answer, answer}));

    // What the song list window's edit command does.
    c.entry(1).address.clear();
    playEntry(c, 1, player, resolve, settings);
    EXPECT_EQ(asked.size(), 2);
}

TEST_F(Playing, NotFoundStillPlaysTheEmptyAddressAndAsksAgainNextTime)
{
    answer.clear();
    SongCollection c = make({online("A")});
    playEntry(c, 1, player, resolve, settings);
    EXPECT_EQ(player.calls, QStringList({"setUrl ", "play"}));
    EXPECT_TRUE(c.playing);
    playEntry(c, 1, player, resolve, settings);
    EXPECT_EQ(asked.size(), 2);
}

TEST_F(Playing, EmptySlotAboveCountAndNumbersOutsideTheCollection)
{
    SongCollection c = make({online("A")});
    playEntry(c, 5, player, resolve, settings);
    EXPECT_EQ(asked, QStringList({"/"}));
    EXPECT_EQ(c.currentIndex, 5);
    EXPECT_EQ(c.count, 1);
    EXPECT_EQ(player.urls, QStringList({answer}));
    EXPECT_EQ(c.entry(5), SongEntry{}) << "a slot above count stays empty";

    SongCollection d = make({online("A")});
    FakeMediaPlayer other;
    for (int n : {0, -1, 101, 32767}) {
        playEntry(d, n, other, resolve, settings);
        EXPECT_EQ(d.currentIndex, 0) << n;
    }
    EXPECT_TRUE(other.calls.isEmpty());
    EXPECT_FALSE(d.playing);
}

TEST_F(Playing, LookupThatLetsTheCollectionChangeDoesNotMisfileTheAddress)
{
    SongCollection c = make({online("A", "X"), online("B", "Y")});
    // A click handled while the lookup waits removes the entry being played.
    resolve = [&](const QString &, const QString &, bool) {
        removeEntry(c, 1);
        return answer;
    };
    playEntry(c, 1, player, resolve, settings);
    EXPECT_EQ(player.urls, QStringList({answer}));
    ASSERT_EQ(c.count, 1);
    EXPECT_EQ(c.entry(1), online("B", "Y")) << "B must not take A's address";

    SongCollection d = make({online("A", "X")});
    resolve = [&](const QString &, const QString &, bool) {
        d = SongCollection{};
        return answer;
    };
    playEntry(d, 1, player, resolve, settings);
    EXPECT_EQ(d.entry(1), SongEntry{});
}

TEST(AddEntry, AppendsOnlineEntryAndStopsAtCapacity)
{
    SongCollection c = make({local("a.mp3", "/a.mp3")});
    c.saved = true;
    c.currentIndex = 1;
    c.playing = true;
    EXPECT_TRUE(addEntry(c, "Song", "Singer", ""));
    EXPECT_EQ(c.count, 2);
    EXPECT_EQ(c.entry(2), (SongEntry{"Song", "", "Singer", false}));
    EXPECT_FALSE(c.saved);
    EXPECT_EQ(c.currentIndex, 1);
    EXPECT_TRUE(c.playing);

    while (addEntry(c, QString::number(c.count + 1), "", "")) {
    }
    EXPECT_EQ(c.count, 100);
    const SongCollection full = c;
    EXPECT_FALSE(addEntry(c, "one too many", "", ""));
    EXPECT_EQ(c, full);
}

TEST(RemoveEntry, ShiftsWholeEntriesAndEmptiesTheFreedSlot)
{
    SongCollection c = make({online("A"), local("B", "/b.mp3"), online("C", "Z")});
    c.saved = true;
    removeEntry(c, 2);
    EXPECT_EQ(songNames(c), QStringList({"A", "C"}));
    EXPECT_FALSE(c.entry(2).isLocal);
    EXPECT_EQ(c.entry(2).singer, "Z");
    EXPECT_FALSE(c.saved);
    expectFreeSlotsEmpty(c);
}

TEST(RemoveEntry, CurrentIndexMovesOnlyWhenItWasTheOldCount)
{
    SongCollection c = make({online("A"), online("B"), online("C")});
    c.currentIndex = 3;
    removeEntry(c, 1);
    EXPECT_EQ(c.currentIndex, 2);

    SongCollection d = make({online("A"), online("B"), online("C")});
    d.currentIndex = 2;
    removeEntry(d, 1);
    EXPECT_EQ(d.currentIndex, 2);

    SongCollection e = make({online("A")});
    e.currentIndex = 1;
    removeEntry(e, 1);
    EXPECT_EQ(e.count, 0);
    EXPECT_EQ(e.currentIndex, 0);
}

TEST(RemoveEntry, FullCollectionAnyPositionAndOutOfRangeIgnored)
{
    SongCollection full;
    for (int i = 1; i <= 100; ++i)
        ASSERT_TRUE(addEntry(full, QString::number(i), "", ""));
    for (int n : {100, 1, 50}) {
        SongCollection c = full;
        removeEntry(c, n);
        EXPECT_EQ(c.count, 99);
        QStringList expected = songNames(full);
        expected.removeAt(n - 1);
        EXPECT_EQ(songNames(c), expected);
        expectFreeSlotsEmpty(c);
    }
    full.saved = true;
    SongCollection c = full;
    removeEntry(c, 0);
    removeEntry(c, 101);
    EXPECT_EQ(c, full);
}

TEST(NameLocalEntries, TakesTheLastPartOfEitherKindOfPathWithoutItsExtension)
{
    SongCollection c = make({local("", "/home/u/music/晴天.mp3"), local("", "D:\\music\\track3.mp3"),
                             local("", "bare.mp3"), local("old", "/dir/"), online("keep", "S"),
                             local("", "/m/夜曲.live.opus"), local("", "/m/.mp3"), local("", "/m.d/noext")});
    c.entry(5).address = "/x/y.mp3";
    nameLocalEntries(c);
    EXPECT_EQ(songNames(c),
              QStringList({"晴天", "track3", "bare", "", "keep", "夜曲.live", ".mp3", "noext"}));
    EXPECT_FALSE(c.saved);
}

TEST(TidyCollection, DropsEmptyNamesIncludingConsecutiveOnes)
{
    SongCollection c = make({online(""), online(""), online("B"), online("")});
    tidyCollection(c);
    EXPECT_EQ(songNames(c), QStringList({"B"}));
    expectFreeSlotsEmpty(c);
}

TEST(TidyCollection, CleansNamesAndSingers)
{
    SongCollection c = make({online("Moon (Live)", "Si\r\nnger"), online("Moon(Live)"),
                             online("a\nb\rc"), online("x(y", "(s)"), online("(Live)", "Z")});
    c.saved = true;
    tidyCollection(c);
    EXPECT_EQ(songNames(c), QStringList({"Moon", "Moo", "abc", "", ""}));
    EXPECT_EQ(c.entry(1).singer, "Singer");
    EXPECT_EQ(c.entry(4).singer, "(s)");
    // Cleaning alone does not make the collection unsaved.
    EXPECT_TRUE(c.saved);
    // Names emptied by cleaning go on the next tidy.
    tidyCollection(c);
    EXPECT_EQ(songNames(c), QStringList({"Moon", "Moo", "abc"}));
    EXPECT_FALSE(c.saved);
}

TEST(TidyCollection, DuplicateRuleIsOneSided)
{
    SongCollection c = make({online("A", "X"), online("A", ""), online("A", "Y"), online("A", "X")});
    tidyCollection(c);
    ASSERT_EQ(c.count, 2);
    EXPECT_EQ(c.entry(1).singer, "X");
    EXPECT_EQ(c.entry(2).singer, "Y");

    SongCollection d = make({online("A", ""), online("A", "X")});
    tidyCollection(d);
    EXPECT_EQ(d.count, 2);

    SongCollection e = make({online("a", "X"), online("A", "X"), online("B", "X"), online("a", "X"),
                             online("B", ""), online("B", ""), local("a", "/a.mp3")});
    tidyCollection(e);
    EXPECT_EQ(songNames(e), QStringList({"a", "A", "B"}));
    EXPECT_FALSE(e.entry(1).isLocal);
    expectFreeSlotsEmpty(e);
}

TEST(TidyCollection, CurrentIndexFollowsRemoveEntrysRule)
{
    SongCollection c = make({online("A"), online("B"), online("A")});
    c.currentIndex = 3;
    tidyCollection(c);
    EXPECT_EQ(c.count, 2);
    EXPECT_EQ(c.currentIndex, 2);

    // An entry removed before the current one leaves the number as it was.
    SongCollection d = make({online("A"), online(""), online("B"), online("C")});
    d.currentIndex = 3;
    tidyCollection(d);
    EXPECT_EQ(songNames(d), QStringList({"A", "B", "C"}));
    EXPECT_EQ(d.currentIndex, 3);
}

TEST(TidyCollection, FullCollectionOfDuplicatesLeavesOne)
{
    SongCollection c;
    for (int i = 0; i < 100; ++i)
        addEntry(c, "Same", i == 0 ? "S" : "", "");
    tidyCollection(c);
    EXPECT_EQ(c.count, 1);
    EXPECT_EQ(c.entry(1).singer, "S");
    expectFreeSlotsEmpty(c);
}
