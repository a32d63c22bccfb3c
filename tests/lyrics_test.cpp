// SPDX-License-Identifier: GPL-3.0-or-later
#include "lyrics/lyricsdocument.h"
#include "lyrics/lyricsfinder.h"
#include "lyrics/lyricstracker.h"
#include "support/mp3gen.h"
#include "support/testfiles.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QSignalSpy>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/unsynchronizedlyricsframe.h>

namespace {

QByteArray gbk(const QString &s)
{
    QStringEncoder enc("GB18030");
    return enc.encode(s);
}

QByteArray utf16(const QString &s, bool bigEndian)
{
    QStringEncoder enc(bigEndian ? QStringEncoder::Utf16BE : QStringEncoder::Utf16LE);
    return QByteArray(bigEndian ? "\xFE\xFF" : "\xFF\xFE") + QByteArray(enc.encode(s));
}

struct Line {
    qint64 ms;
    QString text;
    QString translation = {};
};

// Every rule of the reader in one table: the bytes of a file and the lines
// it should show. `problem`: the file is refused and says so.
struct ParseCase {
    const char *name;
    QByteArray bytes;
    bool synced;
    QList<Line> lines;
    bool problem = false;
    QString title = {};
    qsizetype count = -1; // when set, only the number of lines is checked
};

QByteArray u8(const char *s) { return QByteArray(s); }

// n lines ten milliseconds apart.
QByteArray manyLines(int n)
{
    QByteArray out;
    for (int i = 0; i < n; ++i)
        out += QStringLiteral("[%1:%2.%3]x\n").arg(i / 6000).arg(i / 100 % 60).arg(i % 100, 2, 10, QLatin1Char('0')).toLatin1();
    return out;
}

TEST(LyricsParser, ReadsTheFormsFoundInTheWild)
{
    const QString rong = QStringLiteral("朱镕基的葉子");
    const ParseCase cases[] = {
        {"time tag forms", u8("[00:01]a\n[00:02.5]b\n[00:03.25]c\n[00:04.125]d\n[00:05:50]e\n[1:00:06.10]f\n"),
         true, {{1000, "a"}, {2500, "b"}, {3250, "c"}, {4125, "d"}, {5500, "e"}, {3606100, "f"}}},
        {"minutes past an hour", u8("[75:01.00]late\n"), true, {{4501000, "late"}}},
        {"several times before one text, out of order",
         u8("[00:30.00][00:10.00]chorus\n[00:20.00]verse\n"), true,
         {{10000, "chorus"}, {20000, "verse"}, {30000, "chorus"}}},
        {"positive offset shows lines earlier", u8("[offset:+500]\n[00:10.00]a\n"), true, {{9500, "a"}}},
        {"offset without a sign, with a space", u8("[offset: 250]\n[00:10.00]a\n"), true, {{9750, "a"}}},
        {"negative offset shows lines later", u8("[offset:-1500]\n[00:10.00]a\n"), true, {{11500, "a"}}},
        {"offset never goes before zero", u8("[offset:5000]\n[00:01.00]a\n[00:02.00]b\n[00:09.00]c\n"), true,
         {{0, "b"}, {4000, "c"}}},
        {"id tags are not shown",
         u8("[ti:Song]\n[ar:Singer]\n[al:Album]\n[by:me]\n[length:03:20]\n[re:tool]\n[00:01.00]a\n"), true,
         {{1000, "a"}}, false, "Song"},
        {"same time twice is a line and its translation",
         u8("[00:01.00]Hello\n[00:01.00]你好\n[00:02.00]Bye\n[00:02.00]再见\n"), true,
         {{1000, "Hello", "你好"}, {2000, "Bye", "再见"}}},
        {"translation given in a second block", u8("[00:01.00]Hello\n[00:02.00]Bye\n[00:01.00]你好\n"), true,
         {{1000, "Hello", "你好"}, {2000, "Bye"}}},
        {"enhanced word times are removed",
         u8("[00:01.00]<00:01.00>Word <00:01.50>by <00:02.00>word\n"), true, {{1000, "Word by word"}}},
        {"empty text is a pause", u8("[00:01.00]a\n[00:03.00]\n[00:05.00]b\n"), true,
         {{1000, "a"}, {3000, ""}, {5000, "b"}}},
        {"CRLF, CR, spaces, blank lines, no final newline",
         u8("[00:01.00]a  \r\n\r\n[00:02.00] b\r[00:03.00]c   "), true, {{1000, "a"}, {2000, "b"}, {3000, "c"}}},
        {"bracketed words after a time stay text", u8("[00:01.00][Chorus] la\n"), true, {{1000, "[Chorus] la"}}},
        {"no time tag: static text", u8("\n[ti:Song]\nfirst line\n\nsecond line\n\n"), false,
         {{-1, "first line"}, {-1, ""}, {-1, "second line"}}, false, "Song"},
        {"not a time: seconds past 59", u8("[00:61.00]a\n"), false, {{-1, "[00:61.00]a"}}},
        {"UTF-8 with a mark", u8("\xEF\xBB\xBF[00:01.00]") + rong.toUtf8(), true, {{1000, rong}}},
        {"UTF-8 without a mark", u8("[00:01.00]") + rong.toUtf8(), true, {{1000, rong}}},
        {"GBK keeps characters GB2312 lacks", gbk(QStringLiteral("[00:01.00]") + rong), true, {{1000, rong}}},
        {"UTF-16LE", utf16(QStringLiteral("[00:01.00]") + rong, false), true, {{1000, rong}}},
        {"UTF-16BE", utf16(QStringLiteral("[00:01.00]") + rong, true), true, {{1000, rong}}},
        {"UTF-16 cut in a character is refused", utf16(QStringLiteral("[00:01.00]a"), false).chopped(1), false,
         {}, true},
        {"GBK cut in a character is refused", gbk(QStringLiteral("[00:01.00]") + rong).chopped(1), false, {},
         true},
        {"more than 5000 lines is refused", manyLines(kMaxLyricsLines + 1), false, {}, true},
        {"5000 lines are read", manyLines(kMaxLyricsLines), true, {}, false, {}, kMaxLyricsLines},
        {"over 1 MiB is refused", u8("[00:01.00]a\n") + QByteArray(kMaxLyricsBytes, ' '), false, {}, true},
    };
    for (const ParseCase &c : cases) {
        SCOPED_TRACE(c.name);
        const LyricsDocument doc = parseLyricsBytes(c.bytes);
        EXPECT_EQ(doc.synced, c.synced);
        EXPECT_EQ(!doc.problem.isEmpty(), c.problem) << qPrintable(doc.problem);
        EXPECT_EQ(doc.title, c.title);
        if (c.count >= 0) {
            EXPECT_EQ(doc.lines.size(), c.count);
            continue;
        }
        ASSERT_EQ(doc.lines.size(), c.lines.size());
        for (qsizetype i = 0; i < c.lines.size(); ++i) {
            EXPECT_EQ(doc.lines[i].timeMs, c.lines[i].ms) << i;
            EXPECT_EQ(doc.lines[i].text, c.lines[i].text) << i;
            EXPECT_EQ(doc.lines[i].translation, c.lines[i].translation) << i;
        }
    }
}

TEST(LyricsParser, CurrentLineFollowsPosition)
{
    const LyricsDocument doc = parseLyrics(QStringLiteral("[00:01.00]a\n[00:02.00]b\n[00:04.00]c\n"));
    const std::pair<qint64, int> at[] = {{0, -1}, {999, -1}, {1000, 0}, {1999, 0}, {2000, 1}, {3999, 1},
                                         {4000, 2}, {99999, 2}};
    for (auto [pos, line] : at)
        EXPECT_EQ(doc.lineAt(pos), line) << pos;
    EXPECT_EQ(doc.plainText(), QStringLiteral("a\nb\nc"));
    EXPECT_EQ(parseLyrics(QStringLiteral("static")).lineAt(5000), -1);
}

// A song in a folder of its own, and the lyrics files around it.
struct FinderCase {
    const char *name;
    QStringList files;  // relative to the song's folder: content "[00:01.00]<path>"
    QString expected;   // the file whose text wins; "tag"; empty for none
    bool embedded = false;
    bool problem = false;
};

void embedLyrics(const QString &mp3, const QString &text)
{
    TagLib::MPEG::File f(QFile::encodeName(mp3).constData());
    auto *frame = new TagLib::ID3v2::UnsynchronizedLyricsFrame(TagLib::String::UTF8);
    frame->setText(TagLib::String(text.toStdWString()));
    f.ID3v2Tag(true)->addFrame(frame);
    ASSERT_TRUE(f.save());
}

TEST(LyricsFinder, LooksBesideThenInLyricsFoldersThenInTags)
{
    const FinderCase cases[] = {
        {"beside, any case of the extension", {"歌.LRC"}, "歌.LRC"},
        {"beside, mixed case", {"歌.lRc"}, "歌.lRc"},
        {"Lyrics folder", {"Lyrics/歌.lrc"}, "Lyrics/歌.lrc"},
        {"lyrics folder", {"lyrics/歌.Lrc"}, "lyrics/歌.Lrc"},
        {"beside wins over the folder", {"Lyrics/歌.lrc", "歌.lrc"}, "歌.lrc"},
        {"a file wins over the tag", {"lyrics/歌.lrc"}, "lyrics/歌.lrc", true},
        {"the tag when there is no file", {}, "tag", true},
        {"other base names do not count", {"歌2.lrc", "歌.txt", "Lyrics/别的.lrc"}, ""},
        {"nothing at all", {}, ""},
        {"a refused file is reported", {"big:歌.lrc"}, "", false, true},
        {"a refused file gives way to the tag", {"big:歌.lrc"}, "tag", true},
    };
    for (const FinderCase &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString song = dir.filePath(QStringLiteral("歌.mp3"));
        ASSERT_TRUE(writeMp3(song, {.seconds = 0.2}));
        if (c.embedded)
            embedLyrics(song, QStringLiteral("[00:01.00]tag"));
        for (QString f : c.files) {
            const bool big = f.startsWith(QLatin1String("big:"));
            f.remove(QLatin1String("big:"));
            writeTestFile(dir.filePath(f), big ? QByteArray(kMaxLyricsBytes + 10, 'x')
                                               : QByteArray("[00:01.00]") + f.toUtf8());
        }
        const LyricsDocument doc = findLyrics(song);
        EXPECT_EQ(!doc.problem.isEmpty(), c.problem);
        if (QString(c.expected).isEmpty()) {
            EXPECT_TRUE(doc.isEmpty());
            continue;
        }
        ASSERT_EQ(doc.lines.size(), 1);
        EXPECT_EQ(doc.lines[0].text, c.expected);
        EXPECT_EQ(doc.source, c.expected == u"tag" ? c.expected : dir.filePath(c.expected));
    }
}

TEST(LyricsFinder, WebAddressesHaveNone)
{
    QTemporaryDir dir;
    // Even a file that happens to lie where the address would point.
    writeTestFile(dir.filePath(QStringLiteral("x.lrc")), "[00:01.00]a");
    EXPECT_TRUE(findLyrics(QStringLiteral("http://example.invalid/x.mp3")).isEmpty());
    EXPECT_TRUE(findLyrics(QStringLiteral("HTTPS://example.invalid/x.mp3")).isEmpty());
}

QTimer *aimOf(LyricsTracker &t)
{
    return t.findChild<QTimer *>();
}

// The tracker reads a clock the test moves by hand; its one timer is seen
// aimed at the next line's start from where the clock stands.
TEST(LyricsTracker, AimsOneTimerAtTheNextLine)
{
    qint64 clock = 0;
    LyricsTracker tracker([&clock] { return clock; });
    QSignalSpy lines(&tracker, &LyricsTracker::currentLineChanged);
    QTimer *timer = aimOf(tracker);
    ASSERT_TRUE(timer);
    EXPECT_TRUE(timer->isSingleShot());

    tracker.setDocument(parseLyrics(QStringLiteral("[00:00.05]a\n[00:00.12]b\n[00:00.30]c\n")));
    EXPECT_FALSE(timer->isActive()) << "not playing yet";
    tracker.setPlaying(true);
    ASSERT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 50);

    lines.clear();
    clock = 50; // the engine reached the first line; the timer fires on its own
    ASSERT_TRUE(lines.wait(2000));
    EXPECT_EQ(lines.last().at(0).toInt(), 0);
    EXPECT_EQ(timer->interval(), 70);

    // The engine's clock lags behind the timer: it aims again for the rest.
    lines.clear();
    clock = 100;
    QTest::qWait(120);
    EXPECT_TRUE(lines.isEmpty());
    EXPECT_EQ(tracker.currentLine(), 0);
    EXPECT_EQ(timer->interval(), 20);

    tracker.setPlaying(false);
    EXPECT_FALSE(timer->isActive()) << "paused: nothing to aim at";

    clock = 310;
    tracker.seeked(310);
    EXPECT_EQ(tracker.currentLine(), 2);
    tracker.setPlaying(true);
    EXPECT_FALSE(timer->isActive()) << "past the last line";

    clock = 0;
    tracker.seeked(0);
    EXPECT_EQ(tracker.currentLine(), -1);
    EXPECT_EQ(timer->interval(), 50);

    tracker.setPosition(200);
    EXPECT_EQ(tracker.currentLine(), 1);
    EXPECT_EQ(timer->interval(), 100) << "aimed from the position it was told";

    tracker.setDocument(parseLyrics(QStringLiteral("static text")));
    EXPECT_FALSE(timer->isActive());
    EXPECT_EQ(tracker.currentLine(), -1);
}

TEST(LyricsTracker, LoadsOncePerSongAndDropsAnswersForOldSongs)
{
    QTemporaryDir dir;
    const QString first = dir.filePath(QStringLiteral("a.mp3"));
    const QString second = dir.filePath(QStringLiteral("b.mp3"));
    writeTestFile(dir.filePath(QStringLiteral("a.lrc")), "[00:01.00]first");
    writeTestFile(dir.filePath(QStringLiteral("b.lrc")), "[00:01.00]second");
    LyricsTracker tracker([] { return qint64(1500); });
    QSignalSpy docs(&tracker, &LyricsTracker::documentChanged);
    tracker.setSong(first);
    tracker.setSong(second);
    EXPECT_TRUE(tracker.document().isEmpty()) << "cleared at once, loaded later";
    EXPECT_TRUE(tracker.isLoading());
    QTRY_COMPARE_WITH_TIMEOUT(tracker.document().lines.size(), 1, 5000);
    EXPECT_FALSE(tracker.isLoading());
    EXPECT_EQ(tracker.document().lines[0].text, QStringLiteral("second"));
    EXPECT_EQ(tracker.currentLine(), 0);
    // Let the first song's search finish: its answer must not replace the second's.
    QTest::qWait(300);
    EXPECT_EQ(tracker.document().lines[0].text, QStringLiteral("second"));
    EXPECT_EQ(docs.size(), 3); // cleared twice, loaded once

    // The same song again (on repeat) keeps its lyrics without a search.
    tracker.setSong(second);
    EXPECT_FALSE(tracker.isLoading());
    EXPECT_EQ(docs.size(), 3);
    EXPECT_EQ(tracker.document().lines.size(), 1);

    tracker.setSong(QStringLiteral("https://example.invalid/x.mp3"));
    QTest::qWait(200);
    EXPECT_TRUE(tracker.document().isEmpty());
}

} // namespace
