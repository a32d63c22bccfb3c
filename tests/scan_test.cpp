// SPDX-License-Identifier: GPL-3.0-or-later
#include "playback/player.h"
#include "ui/appcontext.h"
#include "base/settings.h"
#include "store/memorysettingsbackend.h"
#include "support/fakeservices.h"
#include "support/songnames.h"
#include "support/taggedsongs.h"
#include "support/testfiles.h"
#include "system/localscan.h"
#include "support/unprivileged.h"
#include "windows/scanwindow.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QThreadPool>
#include <QTemporaryDir>
#include <unistd.h>

namespace {

void touch(const QString &path)
{
    writeTestFile(path);
}

// a.mp3, c.mp3.txt, sub/d.mp3, sub/deeper/e.mp3
void makeMixedFolder(const QString &root)
{
    touch(root + "/a.mp3");
    touch(root + "/c.mp3.txt");
    touch(root + "/sub/d.mp3");
    touch(root + "/sub/deeper/e.mp3");
}

} // namespace

TEST(ScanFolder, TakesEveryAudioTypeInAnyCase)
{
    QTemporaryDir dir;
    for (const char *name : {"a.FLAC", "b.Ogg", "c.opus", "d.MP3", "e.wav", "f.txt", "g.m3u",
                             "h.yyu", "flac", "i.mp3.part"})
        touch(dir.path() + "/" + name);
    SongCollection scan;
    EXPECT_EQ(scanFolder(scan, dir.path()).added, 5);
    nameLocalEntries(scan);
    EXPECT_EQ(songNames(scan), (QStringList{"a", "b", "c", "d", "e"}));
}

TEST(ScanFolder, TakesOneLevelDeepFilesFirst)
{
    QTemporaryDir dir;
    makeMixedFolder(dir.path());
    // A subfolder that sorts before the folder's own file: files still come first.
    touch(dir.path() + "/0first/f.mp3");

    SongCollection scan;
    EXPECT_EQ(scanFolder(scan, dir.path()).added, 3);
    nameLocalEntries(scan);
    ASSERT_EQ(scan.count, 3);
    EXPECT_EQ(scan.entry(1).songName, "a");
    EXPECT_EQ(scan.entry(1).address, dir.path() + "/a.mp3");
    EXPECT_TRUE(scan.entry(1).isLocal);
    EXPECT_TRUE(scan.entry(1).singer.isEmpty());
    EXPECT_EQ(scan.entry(2).address, dir.path() + "/0first/f.mp3");
    EXPECT_EQ(scan.entry(3).address, dir.path() + "/sub/d.mp3");
    // The scan list's own fields are never set.
    EXPECT_TRUE(scan.albumName.isEmpty());
    EXPECT_EQ(scan.currentIndex, 0);
}

TEST(ScanFolder, SecondScanReplacesTheFirstAndMissingFolderFindsNothing)
{
    QTemporaryDir dir;
    makeMixedFolder(dir.path());
    touch(dir.path() + "/other/z.mp3");
    SongCollection scan;
    scanFolder(scan, dir.path() + "/other");
    scanFolder(scan, dir.path());
    scanFolder(scan, dir.path());
    nameLocalEntries(scan);
    EXPECT_EQ(songNames(scan), (QStringList{"a", "z", "d"}));
    EXPECT_EQ(scanFolder(scan, dir.path() + "/nowhere").added, 0);
    EXPECT_EQ(scan.count, 0);
    EXPECT_EQ(scanFolder(scan, QString()).added, 0);
}

// Folders and names as a Chinese user reads a list: by pinyin (code point
// order would give 中 北 张 阿), Chinese names before Latin ones as the
// Chinese collation has it, case aside, numbers by value.
TEST(ScanFolder, ListsFoldersAndNamesInPinyinOrder)
{
    QTemporaryDir dir;
    for (const char *name : {"中.mp3", "阿.mp3", "张.mp3", "北.mp3", "b.mp3", "A.mp3", "10.mp3",
                             "2.mp3", "周杰伦/晴天.mp3", "周杰伦/稻香.mp3", "陈奕迅/十年.mp3",
                             "Beyond/海阔天空.mp3"})
        touch(dir.path() + "/" + name);
    SongCollection scan;
    EXPECT_EQ(scanFolder(scan, dir.path()).added, 12);
    QStringList got;
    for (int n = 1; n <= scan.count; ++n)
        got << scan.entry(n).address.mid(dir.path().size() + 1);
    EXPECT_EQ(got, (QStringList{"2.mp3", "10.mp3", "阿.mp3", "北.mp3", "张.mp3", "中.mp3", "A.mp3",
                                "b.mp3", "陈奕迅/十年.mp3", "周杰伦/稻香.mp3", "周杰伦/晴天.mp3",
                                "Beyond/海阔天空.mp3"}))
        << got.join(" ").toStdString();
}

TEST(ScanFolder, SaysWhenTheLimitCutTheList)
{
    const struct {
        int top, sub;
        bool hiddenExtra; // a hidden song beyond the limit does not count
        int added;
        bool cut;
    } cases[] = {
        {100, 0, true, 100, false}, {101, 0, false, 100, true}, {70, 30, false, 100, false},
        {70, 31, false, 100, true}, {100, 1, false, 100, true},  {3, 0, false, 3, false},
    };
    for (const auto &c : cases) {
        QTemporaryDir dir;
        for (int i = 0; i < c.top; ++i)
            touch(dir.path() + QString("/top%1.mp3").arg(i));
        for (int i = 0; i < c.sub; ++i)
            touch(dir.path() + QString("/sub/s%1.mp3").arg(i));
        if (c.hiddenExtra)
            touch(dir.path() + "/.hidden/x.mp3");
        SongCollection scan;
        const ScanResult r = scanFolder(scan, dir.path());
        EXPECT_EQ(r.added, c.added) << c.top << "+" << c.sub;
        EXPECT_EQ(scan.count, c.added) << c.top << "+" << c.sub;
        EXPECT_EQ(r.cut, c.cut) << c.top << "+" << c.sub;
        // The first in order are kept: the folder's own files, then the subfolder's.
        if (c.top >= 1)
            EXPECT_EQ(scan.entry(1).address, dir.path() + "/top0.mp3");
        if (c.top < 100 && c.sub > 0)
            EXPECT_EQ(scan.entry(c.top + 1).address, dir.path() + "/sub/s0.mp3");
        EXPECT_EQ(scanNotice(dir.path(), r).contains("只列出了前100首"), c.cut);
    }
}

TEST(ScanFolder, SkipsUnreadableSubfolder)
{
    runUnprivileged([] {
        QTemporaryDir dir;
        touch(dir.path() + "/locked/x.mp3");
        touch(dir.path() + "/open/y.mp3");
        QFile::setPermissions(dir.path() + "/locked", QFileDevice::Permissions{});
        SongCollection scan;
        scanFolder(scan, dir.path());
        QFile::setPermissions(dir.path() + "/locked", QFileDevice::ReadOwner
                                                          | QFileDevice::WriteOwner
                                                          | QFileDevice::ExeOwner);
        nameLocalEntries(scan);
        EXPECT_EQ(songNames(scan), QStringList{"y"});
    });
}

TEST(LocalList, AddingTwiceDuplicatesAndFullListLeavesPicksOut)
{
    SongCollection scan;
    for (int i = 1; i <= 60; ++i) {
        ++scan.count;
        scan.entry(i) = SongEntry{QString("s%1.mp3").arg(i), QString("/m/s%1.mp3").arg(i), {}, true};
    }
    SongCollection local;
    QList<int> rows;
    for (int r = 0; r < 60; ++r)
        rows << r;
    EXPECT_EQ(addPicksToLocalList(local, scan, {0, 2}), 0);
    EXPECT_EQ(addPicksToLocalList(local, scan, {0, 2}), 0);
    ASSERT_EQ(local.count, 4);
    EXPECT_EQ(local.entry(3), scan.entry(1));
    EXPECT_EQ(local.entry(4), scan.entry(3));
    EXPECT_EQ(local.albumName, "本地歌曲");
    EXPECT_EQ(local.currentIndex, 1);

    EXPECT_EQ(addPicksToLocalList(local, scan, rows), 0);   // 64
    EXPECT_EQ(addPicksToLocalList(local, scan, rows), 24);  // 36 fit
    EXPECT_EQ(local.count, 100);
    EXPECT_EQ(local.entry(100), scan.entry(36));
    EXPECT_EQ(addPicksToLocalList(local, scan, {5}), 1);
    EXPECT_EQ(local.entry(100), scan.entry(36));
}

TEST(LocalList, SelectAllStateFollowsSelection)
{
    EXPECT_TRUE(allSelected(3, 3));
    EXPECT_FALSE(allSelected(2, 3));
    EXPECT_FALSE(allSelected(0, 3));
}

class ScanWindowTest : public ::testing::Test {
protected:
    ScanWindowTest()
    {
        QObject::connect(&ctx.player, &Player::collectionChanged, [this] { ++refreshes; });
        nav.onShowSongList = [this] { ++shows; };
        makeMixedFolder(dir.path());
    }
    QListWidget *list() { return window().findChild<QListWidget *>("List1"); }
    QCheckBox *check() { return window().findChild<QCheckBox *>("Check1"); }
    ScanWindow &window()
    {
        if (!w)
            w = std::make_unique<ScanWindow>(settings, dialogs, ctx.session, ctx.player, nav);
        return *w;
    }

    QTemporaryDir dir;
    FakeServices services;
    Settings &settings = services.settings;
    FakeDialogs &dialogs = services.dialogs;
    AppContext &ctx = services.ctx;
    FakeNavigator nav;
    int refreshes = 0, shows = 0;
    std::unique_ptr<ScanWindow> w;
};

TEST_F(ScanWindowTest, ControlsCaptionsAndBackColour)
{
    services.backend.write("Liravo", "设置", "背景颜色", "255");
    EXPECT_EQ(window().objectName(), "frm本地歌曲扫描");
    EXPECT_EQ(window().windowTitle(), "本地歌曲扫描");
    EXPECT_EQ(window().findChild<QPushButton *>("Command1")->text(), "开始扫描");
    EXPECT_EQ(window().findChild<QPushButton *>("Command2")->text(), "添加到本地列表");
    EXPECT_EQ(check()->text(), "全选");
    EXPECT_EQ(window().palette().color(QPalette::Window), QColor(255, 0, 0));
    EXPECT_EQ(window().size(), QSize(329, 344));
}

TEST_F(ScanWindowTest, ScansListCancelKeepsResultsAndReopenedWindowStartsEmpty)
{
    dialogs.folderAnswers << dir.path();
    window().findChild<QPushButton *>("Command1")->click();
    ASSERT_EQ(dialogs.asked.size(), 1);
    EXPECT_EQ(dialogs.asked[0].kind, "folder");
    EXPECT_EQ(dialogs.asked[0].text, "文件夹选择");
    ASSERT_EQ(list()->count(), 2);
    EXPECT_EQ(list()->item(0)->text(), "a");
    EXPECT_EQ(list()->item(1)->text(), "d");

    list()->item(0)->setSelected(true);
    window().startScan(); // cancelled chooser
    EXPECT_EQ(list()->count(), 2);
    EXPECT_TRUE(list()->selectedItems().isEmpty());

    window().close();
    EXPECT_EQ(list()->count(), 0);
    EXPECT_EQ(ctx.session.scanList.count, 2); // the lists outlive the window
    w.reset();
    EXPECT_EQ(list()->count(), 0);
    // Scanned again, the folder's songs are there once: the results replace.
    dialogs.folderAnswers << dir.path();
    window().startScan();
    EXPECT_EQ(list()->count(), 2);
    EXPECT_EQ(window().findChild<QLabel *>("scanNotice")->text(),
              QString("“%1”里找到2首歌曲。").arg(dir.path()));
}

TEST_F(ScanWindowTest, SelectAllAndListClickKeepEachOtherInStep)
{
    dialogs.folderAnswers << dir.path();
    window().startScan();
    EXPECT_FALSE(check()->isChecked());
    list()->item(0)->setSelected(true);
    EXPECT_FALSE(check()->isChecked());
    list()->item(1)->setSelected(true);
    EXPECT_TRUE(check()->isChecked());
    list()->item(1)->setSelected(false);
    EXPECT_FALSE(check()->isChecked());

    check()->click();
    EXPECT_TRUE(check()->isChecked());
    EXPECT_EQ(list()->selectedItems().size(), 2);
    check()->click();
    EXPECT_FALSE(check()->isChecked());
    EXPECT_TRUE(list()->selectedItems().isEmpty());
}

TEST_F(ScanWindowTest, AddReplacesCurrentCollectionAndHides)
{
    heldCollection(ctx.player).albumName = "旧歌集";
    heldCollection(ctx.player).filePath = "/old.yyu";
    heldCollection(ctx.player).count = 1;
    heldCollection(ctx.player).entry(1).songName = "old";
    dialogs.folderAnswers << dir.path();
    window().show();
    window().startScan();
    list()->item(1)->setSelected(true);
    window().findChild<QPushButton *>("Command2")->click();
    window().findChild<QPushButton *>("Command2")->click();

    EXPECT_EQ(heldCollection(ctx.player).count, 2);
    EXPECT_EQ(heldCollection(ctx.player).entry(1).songName, "d");
    EXPECT_EQ(heldCollection(ctx.player).entry(2).songName, "d");
    EXPECT_EQ(heldCollection(ctx.player).albumName, "本地歌曲");
    EXPECT_TRUE(heldCollection(ctx.player).filePath.isEmpty());
    EXPECT_EQ(heldCollection(ctx.player).currentIndex, 1);
    EXPECT_FALSE(heldCollection(ctx.player).saved);
    EXPECT_FALSE(heldCollection(ctx.player).playing);
    EXPECT_EQ(heldCollection(ctx.player), ctx.session.localList);
    EXPECT_EQ(refreshes, 2);
    EXPECT_EQ(shows, 2);
    EXPECT_FALSE(window().isVisible());
}

TEST_F(ScanWindowTest, AddWithNothingSelectedGivesFreshCollection)
{
    heldCollection(ctx.player).albumName = "旧歌集";
    heldCollection(ctx.player).count = 1;
    heldCollection(ctx.player).currentIndex = 1;
    dialogs.folderAnswers << dir.path();
    window().startScan();
    window().addToLocalList();
    EXPECT_EQ(heldCollection(ctx.player), SongCollection{});
    EXPECT_EQ(refreshes, 1);
}

TEST_F(ScanWindowTest, PicksBeyondOneHundredAreLeftOutAndSaid)
{
    for (int i = 0; i < 60; ++i)
        touch(dir.path() + QString("/many/m%1.mp3").arg(i));
    dialogs.folderAnswers << dir.path() + "/many";
    window().startScan();
    check()->click();
    window().addToLocalList();
    EXPECT_EQ(dialogs.count("message"), 0);
    window().addToLocalList();
    EXPECT_EQ(heldCollection(ctx.player).count, 100);
    ASSERT_EQ(dialogs.count("message"), 1);
    EXPECT_TRUE(dialogs.asked.last().text.contains("20")) << dialogs.asked.last().text.toStdString();
}

// The list shows file names at once and the tags' names as they arrive from
// the pool thread; what is added to the local list carries the names and
// singers the tags gave.
TEST_F(ScanWindowTest, TagsNameTheScannedSongsAfterTheListShows)
{
    QTemporaryDir tagged;
    const QList<TaggedSong> songs = writeTaggedSongs(tagged.path());
    dialogs.folderAnswers << tagged.path();
    window().startScan();
    ASSERT_EQ(list()->count(), songs.size());
    // Nothing was read on the window thread: the files' own names come first.
    for (int r = 0; r < songs.size(); ++r)
        EXPECT_EQ(list()->item(r)->text(), fileNameWithoutExtension(songs[r].fileName)) << songs[r].what;

    ASSERT_TRUE(QTest::qWaitFor([&] { return list()->item(1)->text() == songs[1].songName; }, 10000));
    for (int r = 0; r < songs.size(); ++r) {
        SCOPED_TRACE(songs[r].what);
        EXPECT_EQ(list()->item(r)->text(), songs[r].songName);
        EXPECT_EQ(ctx.session.scanList.entry(r + 1).songName, songs[r].songName);
        EXPECT_EQ(ctx.session.scanList.entry(r + 1).singer, songs[r].singer);
    }
    check()->click();
    window().addToLocalList();
    ASSERT_EQ(heldCollection(ctx.player).count, songs.size());
    for (int n = 1; n <= songs.size(); ++n) {
        EXPECT_EQ(heldCollection(ctx.player).entry(n).songName, songs[n - 1].songName) << songs[n - 1].what;
        EXPECT_EQ(heldCollection(ctx.player).entry(n).singer, songs[n - 1].singer) << songs[n - 1].what;
    }
}

// A window closed before the names arrive takes none into rows it no longer
// shows; the session's scan list still gets them.
TEST_F(ScanWindowTest, NamesArrivingAfterCloseGoOnlyToTheScanList)
{
    QTemporaryDir tagged;
    const QList<TaggedSong> songs = writeTaggedSongs(tagged.path());
    dialogs.folderAnswers << tagged.path();
    window().startScan();
    window().close();
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::processEvents();
    EXPECT_EQ(list()->count(), 0);
    EXPECT_EQ(ctx.session.scanList.entry(1).songName, songs[0].songName);
    EXPECT_EQ(ctx.session.scanList.entry(1).singer, songs[0].singer);
}
