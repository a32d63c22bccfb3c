// SPDX-License-Identifier: GPL-3.0-or-later
// Playlists from other players read as song collections, and the .m3u8 the
// song list writes for them; the one list of accepted file types.
#include "collection/audioformats.h"
#include "collection/playlistfile.h"
#include "collection/tagnames.h"
#include "base/settings.h"
#include "store/memorysettingsbackend.h"
#include "support/fakes.h"
#include "support/taggedsongs.h"
#include "support/testfiles.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QMimeDatabase>
#include <QDir>
#include <QTemporaryDir>

#include <sys/stat.h>

namespace {

using Kind = PlaylistFile::Kind;

// Each entry as "singer|name|address|L" (local) or "...|W" (web).
std::string entries(const SongCollection &c)
{
    QString out;
    for (int n = 1; n <= c.count; ++n) {
        const SongEntry &e = c.entry(n);
        out += QStringList{e.singer, e.songName, e.address, e.isLocal ? "L" : "W"}.join('|') + '\n';
    }
    return out.toStdString();
}

struct ParseCase {
    const char *what;
    QByteArray bytes;
    Kind kind;
    const char *want;
};

} // namespace

TEST(PlaylistParse, EntriesInFileOrder)
{
    const QByteArray gbk = QByteArray::fromHex("b8e8cad6") + " - " + QByteArray::fromHex("cbfbb5c4b8e8");
    const std::vector<ParseCase> cases = {
        {"extended m3u with singers, relative, absolute and web entries",
         "#EXTM3U\r\n#EXTINF:215,Singer A - Song A\r\nsub/a.flac\r\n\r\n# a comment\r\n"
         "#EXTINF:-1,Just A Name\r\n/abs/b.ogg\r\nhttp://example.com/s/c.mp3\r\n",
         Kind::M3u,
         "Singer A|Song A|/pl/sub/a.flac|L\n"
         "|Just A Name|/abs/b.ogg|L\n"
         "|c.mp3|http://example.com/s/c.mp3|W\n"},
        {"Windows folders, file addresses, .. and attributes with commas",
         "#EXTINF:10 tvg-name=\"x, y\",Y - Z\nmusic\\d.wav\nfile:///srv/e%20f.opus\n../g.ape\n:h.mp3\n",
         Kind::M3u8,
         "Y|Z|/pl/music/d.wav|L\n"
         "|e f|/srv/e f.opus|L\n"
         "|g|/g.ape|L\n"
         "|:h|/pl/:h.mp3|L\n"},
        {"an EXTINF only names the line after it",
         "#EXTINF:1,A - B\n#EXTVLCOPT:x\nh.mp3\ni.mp3\n", Kind::M3u,
         "A|B|/pl/h.mp3|L\n"
         "|i|/pl/i.mp3|L\n"},
        {".m3u without a byte-order mark in GBK", "#EXTINF:1," + gbk + "\nj.mp3\n", Kind::M3u,
         "歌手|他的歌|/pl/j.mp3|L\n"},
        {".m3u with a byte-order mark is UTF-8", "\xEF\xBB\xBF#EXTINF:1,歌手 - 歌\nk.mp3\n",
         Kind::M3u, "歌手|歌|/pl/k.mp3|L\n"},
        {"PLS in entry number order, keys in any case",
         "[playlist]\nFile2=b.mp3\nTitle2=S - Two\nfile1=http://radio.example/live\n"
         "NumberOfEntries=3\nTitle3=no file\nFILE10=c.mp3\n",
         Kind::Pls,
         "|live|http://radio.example/live|W\n"
         "S|Two|/pl/b.mp3|L\n"
         "|c|/pl/c.mp3|L\n"},
        {"nothing but comments", "#EXTM3U\n\n#EXTINF:1,A - B\n", Kind::M3u8, ""},
        {"a path without a file name still names its entry", "/\n", Kind::M3u, "|/|/|L\n"},
    };
    for (const ParseCase &c : cases) {
        SCOPED_TRACE(c.what);
        const PlaylistFile::Parsed p = PlaylistFile::parse(c.bytes, c.kind, "/pl");
        EXPECT_EQ(entries(p.collection), c.want);
        EXPECT_EQ(p.leftOut, 0);
        EXPECT_EQ(p.collection.currentIndex, 1);
    }
    // .m3u8 is UTF-8 whatever it holds: the GBK bytes are not taken as Chinese.
    const auto p = PlaylistFile::parse("#EXTINF:1," + gbk + "\nj.mp3\n", Kind::M3u8, "/pl");
    EXPECT_NE(p.collection.entry(1).singer, QStringLiteral("歌手"));
}

// A line without a title is named as a dropped file is: by its tags, else
// by its file name; a title in the list still wins over the tags.
TEST(PlaylistParse, LinesWithoutATitleAreNamedByTheirTags)
{
    QTemporaryDir dir;
    const QList<TaggedSong> songs = writeTaggedSongs(dir.filePath("歌"));
    const auto row = [&](const QString &singer, const QString &name, const TaggedSong &song) {
        return QString(QStringList{singer, name, dir.filePath("歌/" + song.fileName), "L"}.join('|') + '\n');
    };
    QByteArray m3u = "#EXTM3U\n", pls = "[playlist]\n";
    QString want;
    for (int i = 0; i < songs.size(); ++i) {
        const QByteArray line = "歌/" + songs[i].fileName.toUtf8();
        // Absolute and relative lines alike.
        m3u += (i % 2 ? "./" + line : QFile::encodeName(dir.filePath(QString::fromUtf8(line)))) + "\n";
        pls += "File" + QByteArray::number(i + 1) + "=" + line + "\n";
        want += row(songs[i].singer, songs[i].songName, songs[i]);
    }
    m3u += "#EXTINF:-1,列表里的名字\n歌/" + songs[0].fileName.toUtf8() + "\n";
    EXPECT_EQ(entries(PlaylistFile::parse(m3u, Kind::M3u8, dir.path()).collection),
              QString(want + row("", "列表里的名字", songs[0])).toStdString());
    pls += "File99=歌/" + songs[1].fileName.toUtf8() + "\nTitle99=清单 - 另一个名字\n";
    EXPECT_EQ(entries(PlaylistFile::parse(pls, Kind::Pls, dir.path()).collection),
              QString(want + row("清单", "另一个名字", songs[1])).toStdString());

    // More untitled lines than are read at once: every one keeps its file's
    // name and is listed, in order, for the caller to have read later; a
    // titled line is not.
    QByteArray many = m3u;
    QStringList later;
    for (const TaggedSong &song : songs)
        later << dir.filePath("歌/" + song.fileName);
    for (int i = 0; later.size() <= kTagNamesOnTheSpot; ++i) {
        many += "歌/无标签" + QByteArray::number(i) + ".mp3\n";
        later << dir.filePath(QStringLiteral("歌/无标签%1.mp3").arg(i));
    }
    const PlaylistFile::Parsed parsed = PlaylistFile::parse(many, Kind::M3u8, dir.path());
    EXPECT_EQ(parsed.nameLater, later);
    ASSERT_EQ(parsed.collection.count, later.size() + 1);
    EXPECT_EQ(parsed.collection.entry(1).songName, fileNameWithoutExtension(songs[0].fileName));
    EXPECT_EQ(parsed.collection.entry(1).singer, "");
    EXPECT_EQ(parsed.collection.entry(songs.size() + 1).songName, "列表里的名字");

    // A pipe named like a song is never opened (nothing writes to it, so
    // opening it would wait for ever), and neither is a folder.
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath("管道.mp3")).constData(), 0600), 0);
    QDir().mkpath(dir.filePath("文件夹.flac"));
    EXPECT_EQ(entries(PlaylistFile::parse("管道.mp3\n文件夹.flac\n", Kind::M3u8, dir.path()).collection),
              QString("|管道|" + dir.filePath("管道.mp3") + "|L\n|文件夹|" + dir.filePath("文件夹.flac") + "|L\n")
                  .toStdString());
}

TEST(PlaylistParse, TakesOneHundredAndCountsTheRest)
{
    QByteArray m3u, pls = "[playlist]\n";
    for (int i = 1; i <= 130; ++i) {
        m3u += QByteArray::number(i) + ".mp3\n";
        pls += "File" + QByteArray::number(i) + "=" + QByteArray::number(i) + ".mp3\n";
    }
    for (Kind kind : {Kind::M3u, Kind::Pls}) {
        const auto p = PlaylistFile::parse(kind == Kind::Pls ? pls : m3u, kind, "/pl");
        EXPECT_EQ(p.collection.count, 100);
        EXPECT_EQ(p.leftOut, 30);
        EXPECT_EQ(p.collection.entry(100).address, "/pl/100.mp3");
    }
}

TEST(PlaylistParse, LinesLongerThanAnyPathAreSkippedAndCounted)
{
    const qsizetype most = PlaylistFile::kMaxLineBytes;
    const QByteArray huge(10 * 1024 * 1024, 'a');
    const struct {
        const char *what;
        QByteArray bytes;
        Kind kind;
        const char *entries;
        int longLines;
    } cases[] = {
        {"10 MiB line between songs", "1.mp3\n" + huge + "\n2.mp3\n", Kind::M3u,
         "|1|/pl/1.mp3|L\n|2|/pl/2.mp3|L\n", 1},
        {"CR line ends", "1.mp3\r" + huge + "\r\n2.mp3", Kind::M3u8,
         "|1|/pl/1.mp3|L\n|2|/pl/2.mp3|L\n", 1},
        {"huge title is no title", "#EXTINF:1," + huge + "\n1.mp3\n", Kind::M3u, "|1|/pl/1.mp3|L\n", 1},
        {"huge PLS entry", "[playlist]\nFile1=" + huge + "\nFile2=2.mp3\n", Kind::Pls,
         "|2|/pl/2.mp3|L\n", 1},
        {"a line of the longest length stays", QByteArray(most - 4, 'b') + ".mp3\n", Kind::M3u, nullptr, 0},
        {"one byte more does not", QByteArray(most - 3, 'b') + ".mp3\n", Kind::M3u, "", 1},
    };
    for (const auto &c : cases) {
        QElapsedTimer clock;
        clock.start();
        const auto p = PlaylistFile::parse(c.bytes, c.kind, "/pl");
        EXPECT_LT(clock.elapsed(), 2000) << c.what;
        EXPECT_EQ(p.longLines, c.longLines) << c.what;
        if (c.entries)
            EXPECT_EQ(entries(p.collection), std::string(c.entries)) << c.what;
        else
            EXPECT_EQ(p.collection.count, 1) << c.what;
    }
}

TEST(PlaylistWrite, ReadsBackWhatItWrote)
{
    SongCollection c;
    c.count = 4;
    c.entry(1) = {QStringLiteral("歌 一"), QStringLiteral("/m/一.flac"), QStringLiteral("歌手"), true};
    c.entry(2) = {QStringLiteral("Two"), QStringLiteral("http://h/2.mp3"), QString(), false};
    c.entry(3) = {QStringLiteral("not looked up"), QString(), QStringLiteral("x"), false};
    c.entry(4) = {QStringLiteral("bad\nname"), QStringLiteral("/m/4.mp3"), QString(), true};
    const QByteArray bytes = PlaylistFile::serialize(c);
    EXPECT_TRUE(bytes.startsWith("#EXTM3U\n#EXTINF:-1,歌手 - 歌 一\n/m/一.flac\n"));
    const auto back = PlaylistFile::parse(bytes, Kind::M3u8, "/elsewhere");
    EXPECT_EQ(entries(back.collection),
              "歌手|歌 一|/m/一.flac|L\n|Two|http://h/2.mp3|W\n|bad name|/m/4.mp3|L\n");
}

namespace {
class PlaylistFiles : public ::testing::Test {
protected:
    QString write(const QString &name, const QByteArray &bytes) { return writeTestFile(dir.filePath(name), bytes); }
    QTemporaryDir dir;
    MemorySettingsBackend backend;
    Settings settings{backend, QStringLiteral("Liravo")};
    FakeDialogs dialogs;
};
} // namespace

TEST_F(PlaylistFiles, LoadReplacesTheCollectionAndTellsOfTheRest)
{
    QByteArray bytes;
    for (int i = 1; i <= 101; ++i)
        bytes += "#EXTINF:1,S - N" + QByteArray::number(i) + "\nmissing" + QByteArray::number(i) + ".mp3\n";
    const QString path = write("My.List.M3U", bytes);
    SongCollection c;
    c.count = 1;
    c.albumName = "old";
    ASSERT_TRUE(PlaylistFile::load(c, path, settings, dialogs));
    EXPECT_EQ(c.albumName, "My.List");
    EXPECT_EQ(c.filePath, path);
    EXPECT_EQ(c.count, 100);
    EXPECT_TRUE(c.saved);
    // Missing files stay; the timer skips them when they come up.
    EXPECT_EQ(c.entry(1).address, dir.filePath("missing1.mp3"));
    EXPECT_EQ(backend.read("Liravo", "歌集", "最后的歌集地址").value_or(""), path);
    ASSERT_EQ(dialogs.asked.size(), 1);
    EXPECT_EQ(dialogs.asked[0].text, "歌集最多只能保存100首歌曲，有1首没有添加。");

    // A line no path is as long as is skipped, and the user is told.
    dialogs.asked.clear();
    const QString broken = write("broken.m3u", "a.mp3\n" + QByteArray(100000, 'x') + "\nb.mp3\n");
    ASSERT_TRUE(PlaylistFile::load(c, broken, settings, dialogs));
    EXPECT_EQ(c.count, 2);
    ASSERT_EQ(dialogs.asked.size(), 1);
    EXPECT_EQ(dialogs.asked[0].text, "播放列表中有1行过长（超过32 KB），不是歌曲的位置，已跳过。");
    dialogs.asked.clear();

    // A file that cannot be read says so and keeps the collection.
    const SongCollection before = c;
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.pls"));
    EXPECT_FALSE(PlaylistFile::load(c, dir.filePath("folder.pls"), settings, dialogs));
    EXPECT_EQ(c, before);
    ASSERT_EQ(dialogs.asked.size(), 1);
    EXPECT_TRUE(dialogs.asked[0].text.startsWith("播放列表无法读取："));
}

TEST_F(PlaylistFiles, SaveWritesWholeFilesAndRefusesReadOnlyOnes)
{
    SongCollection c;
    c.count = 1;
    c.entry(1) = {QStringLiteral("a"), QStringLiteral("/m/a.mp3"), QString(), true};
    const QString path = dir.filePath("out.m3u8");
    ASSERT_TRUE(PlaylistFile::save(c, path, dialogs));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), "#EXTM3U\n#EXTINF:-1,a\n/m/a.mp3\n");
    EXPECT_EQ(dialogs.asked.last().text, "已经保存！");

    const QString ro = write("ro.m3u8", "keep");
    QFile::setPermissions(ro, QFileDevice::ReadOwner);
    EXPECT_FALSE(PlaylistFile::save(c, ro, dialogs));
    EXPECT_FALSE(PlaylistFile::save(c, dir.path(), dialogs));
    EXPECT_TRUE(dialogs.asked.last().text.startsWith("播放列表没有保存成功："));
    QFile kept(ro);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "keep");
}

TEST(AudioFormats, AnyLetterCaseOfTheListedTypes)
{
    const struct {
        const char *path;
        bool audio, playlist;
    } cases[] = {
        {"/m/a.mp3", true, false},     {"/m/A.MP3", true, false},    {"/m/b.Flac", true, false},
        {"/m/c.opus", true, false},    {"/m/d.oga", true, false},    {"/m/e.ape", true, false},
        {"/m/f.m3u8", false, true},    {"/m/g.PLS", false, true},    {"/m/h.yyu", false, false},
        {"/m/i.mp3.txt", false, false}, {"/m.mp3/flac", false, false}, {"mp3", false, false},
        {"C:\\m.ogg\\x", false, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(isAudioFile(c.path), c.audio);
        EXPECT_EQ(isPlaylistFile(c.path), c.playlist);
    }
}

TEST(AudioFormats, DesktopEntryOffersEveryAcceptedType)
{
    QFile entry(QStringLiteral(LIRAVO_SOURCE_DIR "/resources/Liravo.desktop"));
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
    QStringList offered;
    for (const QByteArray &line : entry.readAll().split('\n'))
        if (line.startsWith("MimeType="))
            offered = QString::fromUtf8(line.mid(9)).split(';', Qt::SkipEmptyParts);
    ASSERT_FALSE(offered.isEmpty());
    QMimeDatabase db;
    for (const QString &ext : audioExtensions() + playlistExtensions()) {
        SCOPED_TRACE(ext.toStdString());
        const QMimeType t = db.mimeTypeForFile("x" + ext, QMimeDatabase::MatchExtension);
        ASSERT_FALSE(t.isDefault());
        QStringList names = t.aliases();
        names << t.name();
        bool found = false;
        for (const QString &n : names)
            found = found || offered.contains(n);
        EXPECT_TRUE(found) << t.name().toStdString();
    }
}
