// SPDX-License-Identifier: GPL-3.0-or-later
#include "collection/sessionfile.h"
#include "support/envguard.h"
#include "support/testfiles.h"
#include "support/unprivileged.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

SessionState make(std::initializer_list<SongEntry> entries)
{
    SessionState s;
    for (const SongEntry &e : entries)
        s.collection.entries[std::size_t(s.collection.count++)] = e;
    return s;
}

SessionState full()
{
    SessionState s;
    for (int i = 1; i <= SongCollection::kCapacity; ++i)
        s.collection.entry(i) = SongEntry{QStringLiteral("歌%1").arg(i), {}, QStringLiteral("歌手"), false};
    s.collection.count = SongCollection::kCapacity;
    s.collection.currentIndex = SongCollection::kCapacity;
    return s;
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

TEST(SessionFile, EveryStateComesBackAsItWas)
{
    SessionState tricky = make({
        {QStringLiteral("稻香 \"Live\"\n第二行"), QStringLiteral("/home/u/音乐/稻香 \\ 1.mp3"),
         QStringLiteral("周杰伦"), true},
        {QStringLiteral("🎵 emoji"), {}, {}, false},
        {QStringLiteral("晴天"), QStringLiteral("http://h/晴天.mp3?a=1&b=2"), {}, false},
    });
    tricky.collection.albumName = QStringLiteral("夜曲集");
    tricky.collection.filePath = QStringLiteral("/home/u/夜曲集.yyu");
    tricky.collection.saved = true;
    tricky.collection.changed = true;
    tricky.collection.currentIndex = 2;
    tricky.positionMs = 123456;
    tricky.mode = PlayMode::fromText(QStringLiteral("单曲循环"));

    SessionState unknownMode = make({{QStringLiteral("一"), {}, {}, false}});
    unknownMode.mode = PlayMode::fromText(QStringLiteral("顺序播放"));

    SessionState unsavedNoPath = make({{QStringLiteral("一"), QStringLiteral("/a.mp3"), {}, true}});
    unsavedNoPath.collection.changed = true;

    const struct {
        const char *what;
        SessionState state;
    } cases[] = {
        {"nothing", SessionState{}},
        {"quotes, new lines, backslashes, emoji, URLs", tricky},
        {"a mode text of no known mode", unknownMode},
        {"unsaved, never written to a file", unsavedNoPath},
        {"all 100 entries, the last current", full()},
    };
    for (const auto &c : cases) {
        QString why;
        const std::optional<SessionState> back = parseSession(serializeSession(c.state), &why);
        ASSERT_TRUE(back.has_value()) << c.what << ": " << why.toStdString();
        EXPECT_EQ(*back, c.state) << c.what;
        EXPECT_EQ(back->mode.kind(), c.state.mode.kind()) << c.what;
    }
}

TEST(SessionFile, OnlyItsOwnWellFormedFilesAreTaken)
{
    const QByteArray good = serializeSession(make({{QStringLiteral("一"), {}, {}, false}}));
    auto edited = [&](const QByteArray &from, const QByteArray &to) {
        QByteArray b = good;
        EXPECT_TRUE(b.contains(from)) << from.constData();
        return b.replace(from, to);
    };
    QByteArray tooMany = serializeSession(full());
    tooMany.replace("\"entries\": [", "\"entries\": [{\"name\": \"多\"},");
    QByteArray huge = good;
    huge.replace("\"album\": \"\"", QByteArray("\"album\": \"" + QByteArray(kMaxSessionBytes, 'x') + "\""));

    const struct {
        const char *what;
        QByteArray bytes;
        QString reason; // part of the text the user is shown
    } cases[] = {
        {"empty", "", QStringLiteral("损坏")},
        {"cut short", good.left(good.size() / 2), QStringLiteral("损坏")},
        {"a JSON array", "[1,2]", QStringLiteral("损坏")},
        {"another program's JSON", "{\"version\": 1}", QStringLiteral("不是")},
        {"a newer version", edited("\"version\": 1", "\"version\": 2"), QStringLiteral("更新版本")},
        {"a version that is text", edited("\"version\": 1", "\"version\": \"1\""), QStringLiteral("损坏")},
        {"more than 100 entries", tooMany, QStringLiteral("100")},
        {"an entry that is no object", edited("[\n", "[ 5,\n"), QStringLiteral("损坏")},
        {"a name that is a number", edited("\"name\": \"一\"", "\"name\": 7"), QStringLiteral("损坏")},
        {"local that is text", edited("\"local\": false", "\"local\": \"no\""), QStringLiteral("损坏")},
        {"the current entry past the end", edited("\"current\": 0", "\"current\": 2"), QStringLiteral("损坏")},
        {"a negative position", edited("\"positionMs\": 0", "\"positionMs\": -5"), QStringLiteral("损坏")},
        {"a fractional position", edited("\"positionMs\": 0", "\"positionMs\": 1.5"), QStringLiteral("损坏")},
        {"a position past any song", edited("\"positionMs\": 0", "\"positionMs\": 1e300"), QStringLiteral("损坏")},
        {"over 4 MiB", huge, QStringLiteral("过大")},
    };
    for (const auto &c : cases) {
        QString why;
        EXPECT_FALSE(parseSession(c.bytes, &why).has_value()) << c.what;
        EXPECT_TRUE(why.contains(c.reason)) << c.what << ": " << why.toStdString();
    }
}

TEST(SessionFile, TheFileLivesInTheStateHome)
{
    const EnvGuard guard("XDG_STATE_HOME");
    const QString home = QDir::homePath();
    const struct {
        const char *value; // nullptr: unset
        QString expected;
    } cases[] = {
        {"/x/state", QStringLiteral("/x/state/liravo/session")},
        {"relative/state", home + QStringLiteral("/.local/state/liravo/session")},
        {"", home + QStringLiteral("/.local/state/liravo/session")},
        {nullptr, home + QStringLiteral("/.local/state/liravo/session")},
    };
    for (const auto &c : cases) {
        if (c.value)
            qputenv("XDG_STATE_HOME", c.value);
        else
            qunsetenv("XDG_STATE_HOME");
        EXPECT_EQ(sessionFilePath(), c.expected) << (c.value ? c.value : "unset");
    }
}

TEST(SessionFile, WritingMakesAPrivateFolderAndReadingFindsMissingSongs)
{
    QTemporaryDir dir;
    const QString song = writeTestFile(dir.filePath(QStringLiteral("music/在.mp3")));
    SessionState state = make({
        {QStringLiteral("在"), song, {}, true},
        {QStringLiteral("不在"), dir.filePath(QStringLiteral("music/不在.mp3")), {}, true},
        {QStringLiteral("网上"), QStringLiteral("http://h/x.mp3"), {}, false},
        {QStringLiteral("也不在"), QStringLiteral("relative.mp3"), {}, true},
    });
    state.collection.currentIndex = 2;
    state.positionMs = 61000;
    const QString path = dir.filePath(QStringLiteral("state/liravo/session"));

    QString error;
    ASSERT_TRUE(writeSessionFile(state, &error, path)) << error.toStdString();
    const QFile::Permissions folder = QFileInfo(dir.filePath(QStringLiteral("state/liravo"))).permissions();
    EXPECT_TRUE(folder.testFlags(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    EXPECT_FALSE(folder & (QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther
                           | QFile::WriteOther | QFile::ExeOther));
    EXPECT_TRUE(QDir(dir.filePath(QStringLiteral("state/liravo"))).entryList(QDir::Files | QDir::Hidden)
                    == QStringList{QStringLiteral("session")}); // no temporary file left

    const SessionLoad load = readSessionFile(path);
    ASSERT_TRUE(load.state.has_value());
    EXPECT_TRUE(load.error.isEmpty()) << load.error.toStdString();
    EXPECT_EQ(*load.state, state); // the missing entries are kept
    EXPECT_EQ(load.missing, (QList<int>{2, 4}));

    // A second write replaces the first.
    state.positionMs = 1;
    ASSERT_TRUE(writeSessionFile(state, &error, path));
    EXPECT_EQ(readSessionFile(path).state->positionMs, 1);
}

TEST(SessionFile, NoFileIsNoError)
{
    QTemporaryDir dir;
    const SessionLoad load = readSessionFile(dir.filePath(QStringLiteral("session")));
    EXPECT_FALSE(load.state.has_value());
    EXPECT_TRUE(load.error.isEmpty());
}

TEST(SessionFile, AnUnusableFileIsSetAsideAndTold)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("session"));
    const QByteArray broken = "{\"format\": \"liravo-session\", \"vers";
    for (int round = 1; round <= 2; ++round) { // two in the same second get two names
        writeTestFile(path, broken);
        const SessionLoad load = readSessionFile(path);
        EXPECT_FALSE(load.state.has_value());
        EXPECT_FALSE(QFileInfo::exists(path));
        const QStringList aside = QDir(dir.path()).entryList({QStringLiteral("session.bad-*")}, QDir::Files);
        ASSERT_EQ(aside.size(), round);
        for (const QString &name : aside) {
            EXPECT_EQ(readAll(dir.filePath(name)), broken);
        }
        EXPECT_TRUE(load.error.contains(QStringLiteral("无法恢复"))) << load.error.toStdString();
        EXPECT_TRUE(load.error.contains(QStringLiteral("session.bad-"))) << load.error.toStdString();
    }
}

TEST(SessionFile, AnUnreadableFileIsSetAsideToo)
{
    runUnprivileged([] {
        QTemporaryDir dir;
        const QString path = writeTestFile(dir.filePath(QStringLiteral("session")),
                                           serializeSession(SessionState{}));
        QFile::setPermissions(path, QFile::WriteOwner);
        const SessionLoad load = readSessionFile(path);
        EXPECT_FALSE(load.state.has_value());
        EXPECT_TRUE(load.error.contains(QStringLiteral("无法读取"))) << load.error.toStdString();
        EXPECT_FALSE(QFileInfo::exists(path));
    });
}

TEST(SessionFile, AWriteWhereNoFolderCanBeMadeFails)
{
    QTemporaryDir dir;
    const QString blocker = writeTestFile(dir.filePath(QStringLiteral("state")), "a file");
    QString error;
    EXPECT_FALSE(writeSessionFile(SessionState{}, &error, blocker + QStringLiteral("/liravo/session")));
    EXPECT_TRUE(error.contains(QStringLiteral("无法创建文件夹"))) << error.toStdString();
    EXPECT_EQ(readAll(blocker), "a file");
}

struct Saver : ::testing::Test {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("liravo/session"));
    SessionState state = make({{QStringLiteral("一"), {}, {}, false}});
    int reads = 0;
    SessionSaver saver{[this] {
                           ++reads;
                           return state;
                       },
                       path, 100};
};

TEST_F(Saver, ABurstOfChangesIsOneWriteAMomentLater)
{
    for (int i = 0; i < 5; ++i) {
        state.positionMs = i;
        saver.changed();
        QTest::qWait(10);
    }
    EXPECT_FALSE(QFileInfo::exists(path)); // not yet
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo::exists(path); }, 2000));
    EXPECT_EQ(reads, 1);
    EXPECT_EQ(readSessionFile(path).state->positionMs, 4); // the state at the time of writing
    QTest::qWait(300);
    EXPECT_EQ(reads, 1); // and nothing after, without a change
}

TEST_F(Saver, ChangesThatKeepComingDoNotPutTheWriteOff)
{
    QElapsedTimer t;
    t.start();
    while (reads == 0 && t.elapsed() < 1000) {
        saver.changed();
        QTest::qWait(20);
    }
    EXPECT_EQ(reads, 1);
    EXPECT_LT(t.elapsed(), 400);
}

TEST_F(Saver, SavingAtExitWritesAtOnceAndDropsThePendingWrite)
{
    saver.changed();
    ASSERT_TRUE(saver.pending());
    EXPECT_TRUE(saver.saveNow());
    EXPECT_FALSE(saver.pending());
    EXPECT_TRUE(readSessionFile(path).state.has_value());
    QTest::qWait(250);
    EXPECT_EQ(reads, 1);
}

TEST(SessionSaverFailure, IsToldOncePerRunOfFailures)
{
    QTemporaryDir dir;
    const QString blocker = writeTestFile(dir.filePath(QStringLiteral("state")), "a file");
    QString path = blocker + QStringLiteral("/session");
    SessionSaver saver([] { return SessionState{}; }, path, 100);
    QSignalSpy failed(&saver, &SessionSaver::saveFailed);
    // The path is given at construction, so the blocker is moved to let a write through.
    EXPECT_FALSE(saver.saveNow());
    EXPECT_FALSE(saver.saveNow());
    EXPECT_EQ(failed.size(), 1);
    EXPECT_TRUE(failed.at(0).at(0).toString().contains(QStringLiteral("无法创建文件夹")));
    ASSERT_TRUE(QFile::remove(blocker));
    EXPECT_TRUE(saver.saveNow());
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QDir().rmdir(blocker));
    writeTestFile(blocker, "a file");
    EXPECT_FALSE(saver.saveNow());
    EXPECT_EQ(failed.size(), 2);
}

} // namespace
