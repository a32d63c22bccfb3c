// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/songcollection.h"
#include "collection/yyufile.h"
#include "base/settings.h"
#include "store/memorysettingsbackend.h"
#include "support/fakes.h"
#include "support/unprivileged.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryDir>
#include "support/fakeservices.h"

#include <gtest/gtest.h>
#include <unistd.h>

namespace {

QByteArray bytesOf(std::initializer_list<unsigned char> b)
{
    return QByteArray(reinterpret_cast<const char *>(std::data(b)), qsizetype(b.size()));
}

// "夜曲集" / "周杰伦|七里香" / "|晴天|/home/u/音乐/晴天.mp3", as a GBK writer saves it.
const QByteArray kGbkFile = bytesOf({
    0xd2, 0xb9, 0xc7, 0xfa, 0xbc, 0xaf, 0x0d, 0x0a, 0xd6, 0xdc, 0xbd, 0xdc, 0xc2, 0xd7,
    0x7c, 0xc6, 0xdf, 0xc0, 0xef, 0xcf, 0xe3, 0x0d, 0x0a, 0x7c, 0xc7, 0xe7, 0xcc, 0xec,
    0x7c, 0x2f, 0x68, 0x6f, 0x6d, 0x65, 0x2f, 0x75, 0x2f, 0xd2, 0xf4, 0xc0, 0xd6, 0x2f,
    0xc7, 0xe7, 0xcc, 0xec, 0x2e, 0x6d, 0x70, 0x33, 0x0d, 0x0a});

SongEntry online(const QString &name, const QString &singer = {})
{
    return SongEntry{name, {}, singer, false};
}

SongEntry local(const QString &name, const QString &path, const QString &singer = {})
{
    return SongEntry{name, path, singer, true};
}

SongCollection make(const QString &album, std::initializer_list<SongEntry> entries)
{
    SongCollection c;
    c.albumName = album;
    for (const SongEntry &e : entries)
        c.entries[std::size_t(c.count++)] = e;
    return c;
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

} // namespace

TEST(ParseCollection, LineRules)
{
    // Blank lines skipped, a later name line wins, CR alone ends a line, an LF
    // after a CR belongs to it, a lone LF stays inside the text.
    const SongCollection c =
        parseCollection("First\r\n\r\nS1|N1\r\rS2|N2\rSecond\r\nS3|N\n3\r\n\r\n");
    EXPECT_EQ(c.albumName, "Second");
    ASSERT_EQ(c.count, 3);
    EXPECT_EQ(c.entry(1), online("N1", "S1"));
    EXPECT_EQ(c.entry(2), online("N2", "S2"));
    EXPECT_EQ(c.entry(3), online("N\n3", "S3"));
    EXPECT_TRUE(c.saved);
    EXPECT_FALSE(c.playing);
    EXPECT_EQ(c.currentIndex, 1);
    EXPECT_TRUE(c.filePath.isEmpty());
}

TEST(ParseCollection, Columns)
{
    const SongCollection c = parseCollection("a|b|c|d\r\na|b|\r\n|\r\n||\r\n x | y \r\n");
    ASSERT_EQ(c.count, 5);
    EXPECT_EQ(c.entry(1), local("b", "c", "a"));
    EXPECT_EQ(c.entry(2), local("b", "", "a"));
    EXPECT_EQ(c.entry(3), online("", ""));
    EXPECT_EQ(c.entry(4), local("", "", ""));
    EXPECT_EQ(c.entry(5), online(" y ", " x ")); // nothing trimmed
    EXPECT_TRUE(c.albumName.isEmpty());
}

TEST(ParseCollection, DegenerateFiles)
{
    const SongCollection empty = parseCollection({});
    EXPECT_EQ(empty.count, 0);
    EXPECT_TRUE(empty.albumName.isEmpty());
    EXPECT_TRUE(empty.saved);
    EXPECT_EQ(empty.currentIndex, 1);

    const SongCollection nameOnly = parseCollection("Evening");
    EXPECT_EQ(nameOnly.albumName, "Evening");
    EXPECT_EQ(nameOnly.count, 0);

    // LF-only line ends: one single line, which holds a bar, so one entry.
    const SongCollection lf = parseCollection("Evening\nA|one\nB|two\n");
    EXPECT_TRUE(lf.albumName.isEmpty());
    ASSERT_EQ(lf.count, 1);
    EXPECT_EQ(lf.entry(1), local("one\nB", "two\n", "Evening\nA"));

    const SongCollection crlfOnly = parseCollection("\r\n\r\n\n\r");
    EXPECT_EQ(crlfOnly.count, 0);
    EXPECT_EQ(crlfOnly.albumName, "\n");
}

TEST(ParseCollection, AtMostOneHundredEntriesButLaterNameLinesCount)
{
    QByteArray bytes = "Start\r\n";
    for (int i = 1; i <= 150; ++i)
        bytes += "s|" + QByteArray::number(i) + "\r\n";
    bytes += "End\r\n";
    const SongCollection c = parseCollection(bytes);
    EXPECT_EQ(c.count, 100);
    EXPECT_EQ(c.entry(100).songName, "100");
    EXPECT_EQ(c.albumName, "End");
}

TEST(ParseCollection, BinaryAndHugeInputStayBounded)
{
    QByteArray junk;
    for (int i = 0; i < 200000; ++i)
        junk += char((i * 7919) & 0xff);
    const SongCollection c = parseCollection(junk);
    EXPECT_LE(c.count, 100);

    // Ten megabytes without a line end: one line, kept to a sane size (the
    // bar past the kept part goes with the rest).
    const SongCollection big = parseCollection(QByteArray(10 * 1024 * 1024, 'x') + "|y");
    EXPECT_EQ(big.count, 0);
    EXPECT_LT(big.albumName.size(), 1024 * 1024);

    // A lead byte cut off by the line end must not swallow it. D6 7C is one
    // GBK character, not a lead byte and a bar: that line is a name.
    const SongCollection cut = parseCollection("\xd6\r\nA|B\r\n\xd6|\xd6\xd0\r\n");
    ASSERT_EQ(cut.count, 1);
    EXPECT_EQ(cut.entry(1), online("B", "A"));
    EXPECT_EQ(cut.albumName, QString(QStringDecoder("GB18030").decode(QByteArray("\xd6|"))) + "中");
}

// In GBK the second byte of 118 characters is 0x7C, the byte of "|"; a line is
// split only after it has been decoded.
TEST(Encoding, CharactersWithABarByteStayWhole)
{
    const QByteArray tokyo = bytesOf({0x96, 0x7c, 0xbe, 0xa9});
    QStringEncoder gbk("GB18030");
    const QByteArray file = tokyo + "\r\n" + QByteArray(gbk.encode(u"周杰倫|東風破")) + "\r\n";
    const SongCollection c = parseCollection(file);
    EXPECT_EQ(c.albumName, "東京");
    ASSERT_EQ(c.count, 1);
    EXPECT_EQ(c.entry(1), online("東風破", "周杰倫"));
    EXPECT_EQ(serializeCollection(c), file);

    struct Row {
        QString album, singer, name, path;
        bool isLocal;
    };
    const QList<Row> rows = {
        {"億萬觸質", "瑋縷", "遼閨", "", false},
        {"閨", "", "觸", "", true},
        {"遼東", "質", "縷", "/音樂/億.mp3", true},
    };
    for (const Row &r : rows) {
        SongCollection in = make(r.album, {SongEntry{r.name, r.path, r.singer, r.isLocal}});
        const QByteArray bytes = serializeCollection(in);
        ASSERT_GT(bytes.count('|'), r.isLocal ? 2 : 1) << r.album.toStdString();
        const SongCollection back = parseCollection(bytes);
        EXPECT_EQ(back.albumName, r.album);
        ASSERT_EQ(back.count, 1) << r.album.toStdString();
        EXPECT_EQ(back.entry(1), in.entry(1)) << r.album.toStdString();
    }
}

TEST(Encoding, GbkFileFromAnotherToolReadsAndWritesBackIdentically)
{
    const SongCollection c = parseCollection(kGbkFile);
    EXPECT_EQ(c.albumName, "夜曲集");
    ASSERT_EQ(c.count, 2);
    EXPECT_EQ(c.entry(1), online("七里香", "周杰伦"));
    EXPECT_EQ(c.entry(2), local("晴天", "/home/u/音乐/晴天.mp3"));
    EXPECT_EQ(serializeCollection(c), kGbkFile);
}

TEST(Encoding, EuroSignKeepsItsGbkByte)
{
    // 0x80 alone is the euro sign in GBK; after a lead byte it is a trail byte.
    const QByteArray gbk = "\xbc\xdb\xb8\xf1\x80\x35|\x81\x80\x80\r\n";
    const SongCollection c = parseCollection(gbk);
    ASSERT_EQ(c.count, 1);
    EXPECT_EQ(c.entry(1).singer, "价格€5");
    EXPECT_EQ(c.entry(1).songName, "亐€");
    EXPECT_EQ(serializeCollection(c), "\r\n" + gbk);
    // The GB18030 spelling reads too, and is written the GBK way.
    EXPECT_EQ(parseCollection("\xa2\xe3|x").entry(1).singer, "€");
}

TEST(Encoding, IconvMadeGbkMatchesOurBytes)
{
    const QString iconv = QStandardPaths::findExecutable("iconv");
    if (iconv.isEmpty())
        GTEST_SKIP() << "iconv not installed";
    const SongCollection c = make("简体中文歌集·第一辑 €", {online("发如雪（现场版）", "周杰伦"),
                                                   local("童话", "/音乐/光良/童话.mp3", "光良"),
                                                   online("《东风破》", "")});
    QProcess p;
    p.start(iconv, {"-f", "UTF-8", "-t", "GBK"});
    ASSERT_TRUE(p.waitForStarted());
    QString text = c.albumName + "\r\n";
    for (int i = 1; i <= c.count; ++i) {
        const SongEntry &e = c.entry(i);
        text += e.singer + "|" + e.songName + (e.isLocal ? "|" + e.address : QString()) + "\r\n";
    }
    p.write(text.toUtf8());
    p.closeWriteChannel();
    ASSERT_TRUE(p.waitForFinished());
    const QByteArray gbk = p.readAllStandardOutput();
    ASSERT_EQ(p.exitCode(), 0);
    EXPECT_EQ(serializeCollection(c), gbk);
    SongCollection back = parseCollection(gbk);
    back.saved = c.saved;
    back.currentIndex = c.currentIndex;
    EXPECT_EQ(back, c);
}

TEST(Encoding, RoundTripKeepsCharactersOutsideGbk)
{
    SongCollection c = make("表情😀合集", {online("𠀀𠀁 song ©®", "Beyoncé"),
                                        local("Ελληνικά", "/музыка/🎵.mp3", "ア")});
    const QByteArray bytes = serializeCollection(c);
    EXPECT_FALSE(bytes.contains('?'));
    SongCollection back = parseCollection(bytes);
    EXPECT_EQ(back.albumName, c.albumName);
    ASSERT_EQ(back.count, 2);
    EXPECT_EQ(back.entry(1), c.entry(1));
    EXPECT_EQ(back.entry(2), c.entry(2));
}

TEST(Serialize, LayoutAndWhatIsLost)
{
    SongCollection c = make("Evening", {online("Song one", "Singer A"), online("Song two"),
                                        local("track3.mp3", "D:\\music\\track3.mp3"),
                                        local("b", "")});
    c.entry(2).address = "http://found.example/x.mp3"; // looked up at play time
    EXPECT_EQ(serializeCollection(c),
              "Evening\r\nSinger A|Song one\r\n|Song two\r\n|track3.mp3|D:\\music\\track3.mp3\r\n"
              "|b|\r\n");
    EXPECT_EQ(serializeCollection(make("Only", {})), "Only\r\n");
    // A bar in the name makes the first line an entry on reading.
    const SongCollection shifted = parseCollection(serializeCollection(make("a|b", {online("x")})));
    EXPECT_TRUE(shifted.albumName.isEmpty());
    EXPECT_EQ(shifted.count, 2);
}

struct YyuFiles : ::testing::Test {
    QTemporaryDir dir;
    MemorySettingsBackend store;
    Settings settings{store, QStringLiteral("Liravo")};
    FakeDialogs dialogs;

    QString path(const QString &name) const { return dir.path() + "/" + name; }
    QString lastPath()
    {
        return storedEntry(settings, Settings::sharedAppName(), "歌集", "最后的歌集地址", "unset");
    }
};

TEST_F(YyuFiles, LoadReplacesTheWholeCollectionAndRemembersThePath)
{
    const QString p = path("夜曲.yyu");
    ASSERT_TRUE(writeAll(p, kGbkFile));
    SongCollection c = make("old", {online("x"), online("y"), online("z")});
    c.playing = true;
    c.currentIndex = 3;
    c.saved = false;
    loadCollection(c, p, settings);
    EXPECT_EQ(c.albumName, "夜曲集");
    EXPECT_EQ(c.count, 2);
    EXPECT_EQ(c.filePath, p);
    EXPECT_TRUE(c.saved);
    EXPECT_FALSE(c.playing);
    EXPECT_EQ(c.currentIndex, 1);
    EXPECT_EQ(c.entry(3), SongEntry{});
    EXPECT_EQ(lastPath(), p);

    const QString emptyFile = path("empty.yyu");
    ASSERT_TRUE(writeAll(emptyFile, {}));
    loadCollection(c, emptyFile, settings);
    EXPECT_EQ(c.count, 0);
    EXPECT_TRUE(c.albumName.isEmpty());
    EXPECT_TRUE(c.saved);
    EXPECT_EQ(c.currentIndex, 1);
    EXPECT_EQ(lastPath(), emptyFile);
}

TEST_F(YyuFiles, TokyoSavedAndLoadedBack)
{
    SongCollection c = make("", {online("東風破", "周杰倫"), local("億", "/音樂/觸.mp3", "瑋")});
    dialogs.inputAnswers << "東京";
    saveCollection(c, path("東京.yyu"), dialogs);
    SongCollection back;
    ASSERT_TRUE(loadCollection(back, path("東京.yyu"), settings, &dialogs));
    EXPECT_EQ(back.albumName, "東京");
    ASSERT_EQ(back.count, 2);
    EXPECT_EQ(back.entry(1), c.entry(1));
    EXPECT_EQ(back.entry(2), c.entry(2));
}

TEST_F(YyuFiles, FileThatIsNoCollectionIsRefusedByName)
{
    QByteArray huge(17 * 1024 * 1024, 'x');
    struct Case {
        QString name;
        QByteArray bytes;
    };
    const QList<Case> cases = {{"nul.yyu", QByteArrayLiteral("A\r\nx|y\0z\r\n")},
                               {"image.yyu", QByteArrayLiteral("\x89PNG\r\n\x1a\n\0\0\0\rIHDR")},
                               {"huge.yyu", huge}};
    for (const Case &k : cases) {
        ASSERT_TRUE(writeAll(path(k.name), k.bytes));
        SongCollection c = make("keep", {online("k")});
        const SongCollection before = c;
        dialogs.asked.clear();
        EXPECT_FALSE(loadCollection(c, path(k.name), settings, &dialogs));
        EXPECT_EQ(c, before) << k.name.toStdString();
        ASSERT_EQ(dialogs.count("message"), 1) << k.name.toStdString();
        EXPECT_TRUE(dialogs.asked[0].text.contains(path(k.name))) << k.name.toStdString();
    }
    EXPECT_EQ(lastPath(), "unset");
}

TEST_F(YyuFiles, SavedUnderANameWithoutExtensionGetsYyu)
{
    struct Case {
        QString typed, written;
    };
    const QList<Case> cases = {{path("本地歌曲"), path("本地歌曲.yyu")},
                               {path("mine.yyu"), path("mine.yyu")},
                               {path("list.txt"), path("list.txt")}};
    for (const Case &k : cases) {
        SongCollection c = make("A", {online("x")});
        dialogs.inputAnswers << "A";
        saveCollection(c, k.typed, dialogs);
        EXPECT_TRUE(c.saved);
        EXPECT_EQ(c.filePath, k.written);
        EXPECT_TRUE(QFileInfo(k.written).isFile()) << k.written.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(path("本地歌曲")));
}

TEST_F(YyuFiles, LargeFileReadInPiecesKeepsLineEndsAcrossPieceBoundaries)
{
    // Lines of 4095 bytes after a 65-byte first line put the 64th line's CR
    // last in the first 256 KiB and its LF first in the next.
    QByteArray bytes = QByteArray(63, 'B') + "\r\n";
    int lines = 0;
    while (bytes.size() < 1100 * 1024) {
        QByteArray line = "s|n" + QByteArray::number(lines++) + "|";
        line += QByteArray(4093 - line.size(), 'p');
        bytes += line + "\r\n";
    }
    bytes += "\r\nLast\r\n";
    const QString p = path("big.yyu");
    ASSERT_TRUE(writeAll(p, bytes));
    SongCollection c;
    loadCollection(c, p, settings);
    SongCollection expected = parseCollection(bytes);
    expected.filePath = p;
    EXPECT_EQ(c, expected);
    EXPECT_EQ(c.count, 100);
    EXPECT_EQ(c.albumName, "Last");
    EXPECT_EQ(c.entry(100).address, QString(4093 - 6, QChar('p')));
}

TEST_F(YyuFiles, LoadOfAPathFileExistsRejectsChangesNothing)
{
    ASSERT_TRUE(writeAll(path("Real.yyu"), "A\r\nx|y\r\n"));
    SongCollection c = make("keep", {online("k")});
    const SongCollection before = c;
    for (const QString &p : QStringList{path("missing.yyu"), path("real.yyu"), QString("Real.yyu"),
                             dir.path(), QString()}) {
        loadCollection(c, p, settings);
        EXPECT_EQ(c, before) << p.toStdString();
    }
    EXPECT_EQ(lastPath(), "unset");
}

TEST_F(YyuFiles, SaveWritesAfterTheNamePromptAndTwiceGivesTheSameBytes)
{
    SongCollection c = make("Evening", {online("七里香", "周杰伦"), local("a", "/m/a.mp3")});
    const QString p = path("out.yyu");
    dialogs.inputAnswers << "新名字" << "新名字";
    dialogs.onAsk = [&](const FakeDialogs::Asked &a) {
        if (a.kind == "message") {
            EXPECT_TRUE(QFile::exists(p)) << "the file is complete before saying so";
        }
    };
    saveCollection(c, p, dialogs);
    ASSERT_EQ(dialogs.asked.size(), 2);
    EXPECT_EQ(dialogs.asked[0].kind, "input");
    EXPECT_EQ(dialogs.asked[0].text, "请为你这张专辑起一个好听的名字吧！");
    EXPECT_EQ(dialogs.asked[0].title, "专辑名称");
    EXPECT_EQ(dialogs.asked[0].extra, "Evening");
    EXPECT_EQ(dialogs.asked[1].kind, "message");
    EXPECT_EQ(dialogs.asked[1].text, "已经保存！");
    EXPECT_EQ(dialogs.asked[1].title, "保存");
    EXPECT_EQ(c.albumName, "新名字");
    EXPECT_EQ(c.filePath, p);
    EXPECT_TRUE(c.saved);
    const QByteArray first = readAll(p);
    EXPECT_EQ(first, serializeCollection(c));
    saveCollection(c, p, dialogs);
    EXPECT_EQ(readAll(p), first);
    // No temporary file is left beside it.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({"out.yyu"}));

    SongCollection back;
    loadCollection(back, p, settings);
    EXPECT_EQ(back.albumName, c.albumName);
    EXPECT_EQ(back.entry(1), c.entry(1));
    EXPECT_EQ(back.entry(2), c.entry(2));
}

TEST_F(YyuFiles, CancelledNameOrEmptyPathWritesNothing)
{
    const QString p = path("keep.yyu");
    ASSERT_TRUE(writeAll(p, "old\r\n"));
    SongCollection c = make("Evening", {online("x")});
    c.filePath = "/somewhere/else.yyu";
    saveCollection(c, p, dialogs); // no answer queued: cancel
    EXPECT_TRUE(c.albumName.isEmpty());
    EXPECT_EQ(c.filePath, "/somewhere/else.yyu");
    EXPECT_FALSE(c.saved);
    EXPECT_EQ(readAll(p), "old\r\n");

    dialogs.inputAnswers << "Name";
    saveCollection(c, QString(), dialogs);
    EXPECT_EQ(c.albumName, "Name");
    EXPECT_TRUE(c.filePath.isEmpty());
    EXPECT_FALSE(c.saved);
    EXPECT_EQ(dialogs.count("message"), 0);
}

TEST_F(YyuFiles, FailedSaveSaysSoAndLeavesEverythingAsItWas)
{
    const QString good = path("good.yyu");
    ASSERT_TRUE(writeAll(good, "old\r\n"));
    ASSERT_TRUE(writeAll(path("afile"), "x"));
    struct Case {
        QString target;
        QString why;
    };
    QList<Case> cases = {{path("no/such/folder/x.yyu"), "missing folder"},
                         {path("afile/x.yyu"), "a file where the folder should be"},
                         {dir.path(), "a folder as the target"}};
    for (const Case &k : cases) {
        SongCollection c = make("Evening", {online("x")});
        c.filePath = good;
        dialogs.asked.clear();
        dialogs.inputAnswers << "Evening";
        saveCollection(c, k.target, dialogs);
        EXPECT_FALSE(c.saved) << k.why.toStdString();
        EXPECT_EQ(c.filePath, good) << k.why.toStdString();
        ASSERT_EQ(dialogs.asked.size(), 2) << k.why.toStdString();
        EXPECT_EQ(dialogs.asked[1].title, "Liravo");
        EXPECT_TRUE(dialogs.asked[1].text.contains(k.target));
        EXPECT_NE(dialogs.asked[1].text, "已经保存！");
    }
    EXPECT_EQ(readAll(good), "old\r\n");
    EXPECT_TRUE(QFileInfo(dir.path()).isDir());
}

TEST_F(YyuFiles, ReadOnlyTargetOrFolderKeepsTheOldFile)
{
    runUnprivileged([] {
        QTemporaryDir own;
        FakeDialogs dialogs;
        const QString sub = own.path() + "/ro";
        ASSERT_TRUE(QDir().mkpath(sub));
        const QString inRo = sub + "/c.yyu";
        ASSERT_TRUE(writeAll(inRo, "old\r\n"));
        QFile::setPermissions(sub, QFile::ReadOwner | QFile::ExeOwner);
        const QString roFile = own.path() + "/ro.yyu";
        ASSERT_TRUE(writeAll(roFile, "old\r\n"));
        QFile::setPermissions(roFile, QFile::ReadOwner);
        for (const QString &target : QStringList{inRo, roFile}) {
            SongCollection c = make("Evening", {online("x")});
            dialogs.inputAnswers << "Evening";
            saveCollection(c, target, dialogs);
            EXPECT_FALSE(c.saved);
            EXPECT_EQ(readAll(target), "old\r\n");
        }
        QFile::setPermissions(sub, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    });
}

TEST(YyuFile, UnreadableFileIsReportedAndChangesNothing)
{
    runUnprivileged([] {
        QTemporaryDir own;
        MemorySettingsBackend store;
        Settings settings{store, QStringLiteral("Liravo")};
        FakeDialogs dialogs;
        const QString p = own.path() + "/locked.yyu";
        ASSERT_TRUE(writeAll(p, "A\r\nx|y\r\n"));
        QFile::setPermissions(p, QFile::WriteOwner);
        SongCollection c = make("keep", {online("k")});
        const SongCollection before = c;
        EXPECT_FALSE(loadCollection(c, p, settings, &dialogs));
        EXPECT_EQ(c, before);
        ASSERT_EQ(dialogs.count("message"), 1);
        EXPECT_TRUE(dialogs.asked[0].text.contains(p));
        EXPECT_FALSE(store.read("Liravo", "歌集", "最后的歌集地址").has_value());
    });
}
