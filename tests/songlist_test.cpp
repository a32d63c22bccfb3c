// SPDX-License-Identifier: GPL-3.0-or-later
// The song list window under the offscreen platform, with dialog and player
// doubles: what it shows, what its commands do to the current collection.
#include "windows/songlistwindow.h"
#include "playback/playentry.h"

#include "base/songcollection.h"
#include "ui/appcontext.h"
#include "ui/colors.h"
#include "base/settings.h"
#include "ui/windowlook.h"
#include "store/memorysettingsbackend.h"
#include "support/fakeservices.h"
#include "support/testfiles.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace {

SongEntry online(const QString &singer, const QString &name)
{
    SongEntry e;
    e.singer = singer;
    e.songName = name;
    return e;
}

SongEntry local(const QString &name, const QString &path)
{
    SongEntry e;
    e.songName = name;
    e.address = path;
    e.isLocal = true;
    return e;
}

class SongListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ctx.services.resolver = [this](const QString &name, const QString &singer, bool) -> QString {
            lookups << singer + "/" + name;
            return QStringLiteral("http://127.0.0.1/") + name;
        };
    }

    void setCollection(std::initializer_list<SongEntry> entries, const QString &album = {},
                       bool saved = false)
    {
        SongCollection c;
        for (const SongEntry &e : entries)
            c.entry(++c.count) = e;
        c.albumName = album;
        c.saved = saved;
        c.changed = !saved; // an unsaved list stands for one the user made
        heldCollection(ctx.player) = c;
    }

    SongListWindow &window()
    {
        if (!win)
            win = std::make_unique<SongListWindow>(ctx.services, ctx.player, ctx.windows());
        return *win;
    }
    QListWidget *list1() { return window().findChild<QListWidget *>("List1"); }
    QListWidget *list2() { return window().findChild<QListWidget *>("List2"); }
    QAction *action(const char *name) { return window().findChild<QAction *>(name); }

    QStringList rows()
    {
        QStringList out;
        for (int i = 0; i < list1()->count(); ++i)
            out << list1()->item(i)->text();
        return out;
    }

    void showAndWait()
    {
        window().show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window()));
    }

    // What a user's double click delivers: a click, then the double click.
    void doubleClick(QPoint at)
    {
        QTest::mouseClick(list1()->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list1()->viewport(), Qt::LeftButton, {}, at);
    }

    QString writeFile(const QString &name, const QByteArray &bytes)
    {
        return writeTestFile(tmp.filePath(name), bytes);
    }

    QTemporaryDir tmp;
    FakeServices services;
    MemorySettingsBackend &backend = services.backend;
    Settings *const settings = &services.settings;
    FakeMediaPlayer &player = services.player;
    FakeDialogs &dialogs = services.dialogs;
    AppContext &ctx = services.ctx;
    FakeNavigator nav;
    QStringList lookups;
    std::unique_ptr<SongListWindow> win;
};

} // namespace

TEST_F(SongListTest, ControlsAndMenusCarryTheirNames)
{
    SongListWindow &w = window();
    EXPECT_EQ(w.objectName(), QString("frm歌曲列表"));
    EXPECT_FALSE(w.isVisible()); // loaded, not shown

    const std::pair<const char *, const char *> actions[] = {
        {"m_Open", "打开歌集"},  {"m_Save", "保存歌集"},      {"m_New", "新歌集"},
        {"m_SavePlaylist", "另存为播放列表"},
        {"m_定位当前歌曲", "定位歌曲"}, {"m_check", "歌曲去重"}, {"m_adit", "编辑该条"},
        {"m_Delete", "删除该条"}};
    for (const auto &[name, caption] : actions) {
        QAction *a = action(name);
        ASSERT_NE(a, nullptr) << name;
        EXPECT_EQ(a->text(), QString::fromUtf8(caption)) << name;
    }
    QAction *sep = action("f");
    ASSERT_NE(sep, nullptr);
    EXPECT_TRUE(sep->isSeparator());

    auto *file = w.findChild<QMenu *>("m_File");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->title(), QString("歌集"));
    EXPECT_EQ(file->actions(),
              (QList<QAction *>{action("m_Open"), action("m_Save"), action("m_SavePlaylist"), sep,
                                action("m_AddSongs"), action("m_SortByName"), action("m_SortBySinger"),
                                action("m_New")}));

    auto *popup = w.findChild<QMenu *>("m");
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(popup->title(), QString("右键菜单"));
    EXPECT_FALSE(popup->menuAction()->isVisible());
    EXPECT_EQ(popup->actions(), (QList<QAction *>{action("m_adit"), action("m_Delete")}));

    // Menu bar order: the collection menu, locate, tidy, then the hidden pop-up.
    const QList<QAction *> bar = w.menuBar()->actions();
    ASSERT_EQ(bar.size(), 4);
    EXPECT_EQ(bar[0], file->menuAction());
    EXPECT_EQ(bar[1], action("m_定位当前歌曲"));
    EXPECT_EQ(bar[2], action("m_check"));
    EXPECT_EQ(bar[3], popup->menuAction());

    EXPECT_EQ(list1()->selectionMode(), QAbstractItemView::SingleSelection);
}

// The window can be made larger and the song list grows with it, the album
// column beside it; it opens wide enough for its whole caption.
TEST_F(SongListTest, ListsFollowTheWindowsSize)
{
    SongListWindow &w = window();
    EXPECT_GE(w.width(), widthForCaption(w.windowTitle(), w.font()));
    EXPECT_LT(w.minimumWidth(), w.width());
    showAndWait();
    for (const QSize size : {QSize(640, 480), QSize(900, 700), QSize(420, 300)}) {
        w.resize(size);
        QApplication::processEvents();
        const QRect client = w.centralWidget()->rect();
        EXPECT_EQ(list1()->geometry().right(), client.right() - 16) << size.width();
        EXPECT_EQ(list1()->geometry().bottom(), client.bottom() - 16) << size.width();
        EXPECT_EQ(list2()->geometry().height(), list1()->geometry().height()) << size.width();
        EXPECT_EQ(list2()->width(), 73);
        EXPECT_LT(list2()->geometry().right(), list1()->geometry().left());
    }
}

TEST_F(SongListTest, LoadTakesCaptionColourAndPlaceFromSettingsAndMainWindow)
{
    QWidget main;
    main.setGeometry(20, 50, 200, 200);
    nav.main = &main;
    ctx.navigator = &nav;
    SongListWindow first(ctx.services, ctx.player, ctx.windows());
    EXPECT_EQ(first.windowTitle(), QString("Liravo音乐播放器[创建属于我的歌集]"));
    EXPECT_EQ(first.centralWidget()->palette().color(QPalette::Window), QColor(0, 0, 0));
    EXPECT_NE(first.menuBar()->palette().color(QPalette::Window), QColor(0, 0, 0));
    const QRect m = main.frameGeometry();
    EXPECT_EQ(first.pos(), QPoint(m.x() + m.width() + 13, m.y()));

    storeEntry(*settings, "Liravo", "设置", "顶部标题", "我的播放器");
    storeEntry(*settings, "Liravo", "设置", "背景颜色", QString::number(0x00FF8040));
    SongListWindow second(ctx.services, ctx.player, ctx.windows());
    EXPECT_EQ(second.windowTitle(), QString("我的播放器[创建属于我的歌集]"));
    EXPECT_EQ(second.centralWidget()->palette().color(QPalette::Window), QColor(0x40, 0x80, 0xFF));
    // A window already loaded keeps its caption until it is loaded again.
    EXPECT_EQ(first.windowTitle(), QString("Liravo音乐播放器[创建属于我的歌集]"));
}

TEST_F(SongListTest, ClosingUnloadsSoTheNextUseLoadsAfresh)
{
    setCollection({online("A", "a")});
    showAndWait();
    window().close();
    storeEntry(*settings, "Liravo", "设置", "顶部标题", "新标题");
    heldCollection(ctx.player).entry(++heldCollection(ctx.player).count) = online("", "b");
    window().refreshList();
    EXPECT_FALSE(window().isVisible());
    EXPECT_EQ(window().windowTitle(), QString("新标题[创建属于我的歌集]"));
    EXPECT_EQ(rows(), (QStringList{"A-a", "b"}));
}

TEST_F(SongListTest, RowsAreSingerDashNameAndLoadTidies)
{
    setCollection({online("", ""), online("Singer A", "Song one"), online("", "Song two"),
                   local("track3.mp3", "/music/track3.mp3"), online("Singer A", "Song one")},
                  "Evening", true);
    window();
    // The empty-named entry and the later duplicate are gone at once.
    EXPECT_EQ(rows(), (QStringList{"Singer A-Song one", "Song two", "track3.mp3"}));
    EXPECT_EQ(heldCollection(ctx.player).count, 3);
    ASSERT_EQ(list2()->count(), 1);
    EXPECT_EQ(list2()->item(0)->text(), QString("Evening"));
    EXPECT_FALSE(heldCollection(ctx.player).saved);
    EXPECT_TRUE(action("m_Save")->isEnabled());
    EXPECT_TRUE(action("m_New")->isEnabled());
    EXPECT_TRUE(action("m_check")->isEnabled());
}

TEST_F(SongListTest, SaveOfferedOnlyForUnsavedSongs)
{
    setCollection({online("A", "a")}, "x", true);
    window();
    EXPECT_FALSE(action("m_Save")->isEnabled());
    heldCollection(ctx.player).saved = false;
    window().refreshList();
    EXPECT_TRUE(action("m_Save")->isEnabled());
    setCollection({}, "", false);
    window().refreshList();
    EXPECT_FALSE(action("m_Save")->isEnabled());
    ASSERT_EQ(list2()->count(), 1); // an empty row for a nameless collection
    EXPECT_EQ(list2()->item(0)->text(), QString());
}

TEST_F(SongListTest, OpenLoadsTheChosenFileAndRefreshes)
{
    const QString clean =
        writeFile("clean.yyu", "Evening\r\nSinger A|Song one\r\n|Song two\r\n");
    const QString dirty =
        writeFile("dirty.yyu", "Night\r\nB|x\r\n|\r\nB|x\r\n|y|/music/y.mp3\r\n");
    setCollection({online("old", "song")});
    window();

    dialogs.openAnswers << clean;
    action("m_Open")->trigger();
    ASSERT_EQ(dialogs.count("open"), 1);
    EXPECT_EQ(dialogs.asked[0].text, QString("歌集文件|*.yyu;*.m3u;*.m3u8;*.pls"));
    EXPECT_EQ(dialogs.asked[0].title, QString());
    EXPECT_EQ(rows(), (QStringList{"Singer A-Song one", "Song two"}));
    EXPECT_EQ(list2()->item(0)->text(), QString("Evening"));
    EXPECT_TRUE(heldCollection(ctx.player).saved);
    EXPECT_FALSE(action("m_Save")->isEnabled());
    EXPECT_EQ(player.plays, 0); // opening never starts playback

    // Empty names and duplicates in the file go at the refresh after loading.
    dialogs.openAnswers << dirty;
    action("m_Open")->trigger();
    EXPECT_EQ(rows(), (QStringList{"B-x", "y"}));
    EXPECT_TRUE(heldCollection(ctx.player).entry(2).isLocal);
    EXPECT_TRUE(action("m_Save")->isEnabled());
}

TEST_F(SongListTest, OpensPlaylistsAndSavesTheCollectionAsOne)
{
    const QString pls = writeFile("Radio.pls", "[playlist]\nFile1=http://r.example/a\nTitle1=R - A\n"
                                                "File2=b.flac\n");
    setCollection({online("old", "song")});
    window();
    dialogs.openAnswers << pls;
    action("m_Open")->trigger();
    EXPECT_EQ(rows(), (QStringList{"R-A", "b.flac"}));
    EXPECT_EQ(list2()->item(0)->text(), QString("Radio"));
    EXPECT_TRUE(action("m_SavePlaylist")->isEnabled());

    // The name typed without a type still gets ".m3u8".
    const QString out = QDir(tmp.path()).filePath("mine");
    dialogs.saveAnswers << out;
    action("m_SavePlaylist")->trigger();
    EXPECT_EQ(dialogs.asked.last().text, QString("已经保存！"));
    EXPECT_TRUE(QFile::exists(out + ".m3u8"));
    EXPECT_TRUE(heldCollection(ctx.player).saved); // a copy for other players; the collection is unchanged

    action("m_New")->trigger();
    window().refreshList();
    EXPECT_FALSE(action("m_SavePlaylist")->isEnabled());
}

TEST_F(SongListTest, OpenIgnoresCancelAndPathsTheCheckRejects)
{
    const QString path = writeFile("Evening.yyu", "Evening\r\nA|a\r\n");
    setCollection({online("old", "song")}, "Old");
    window();
    const SongCollection before = heldCollection(ctx.player);

    dialogs.openAnswers << QString();                            // cancel
    dialogs.openAnswers << "Evening.yyu";                        // not a full path
    dialogs.openAnswers << QDir(tmp.path()).absoluteFilePath("evening.yyu"); // wrong case
    dialogs.openAnswers << path + ".missing";
    for (int i = 0; i < 4; ++i) {
        action("m_Open")->trigger();
        EXPECT_EQ(heldCollection(ctx.player), before) << i;
        EXPECT_EQ(rows(), QStringList{"old-song"}) << i;
    }
    EXPECT_EQ(dialogs.count("message"), 0);
}

TEST_F(SongListTest, EditRenamesTheSelectedEntry)
{
    setCollection({online("A", "a"), local("b.mp3", "/music/b.mp3"), online("C", "c")}, "", true);
    window();

    list1()->setCurrentRow(1);
    dialogs.inputAnswers << "X" << "";
    action("m_adit")->trigger();
    ASSERT_EQ(dialogs.count("input"), 2);
    EXPECT_EQ(dialogs.asked[0].text, QString("请输入歌曲的名称"));
    EXPECT_EQ(dialogs.asked[0].title, QString("名称"));
    EXPECT_EQ(dialogs.asked[0].extra, QString("b.mp3"));
    EXPECT_EQ(dialogs.asked[1].text, QString("请输入歌手名，如果不清楚可以留空。"));
    EXPECT_EQ(dialogs.asked[1].title, QString("歌手"));
    EXPECT_EQ(dialogs.asked[1].extra, QString());
    EXPECT_EQ(rows(), (QStringList{"A-a", "X", "C-c"}));
    EXPECT_FALSE(heldCollection(ctx.player).saved);
    EXPECT_TRUE(action("m_Save")->isEnabled());
    EXPECT_EQ(window().selectedRow(), -1); // the refresh drops the selection
}

TEST_F(SongListTest, EditKeepsALocalFileAndLooksARenamedOnlineSongUpAgain)
{
    // A local entry is its file: renaming it must not send the next play
    // online. An online entry's address belonged to the old name.
    struct Case {
        const char *what;
        SongEntry entry;
        QString expectedAddress;
        QStringList expectedLookups;
    };
    const std::vector<Case> cases = {
        {"local", local("b.mp3", "/music/b.mp3"), "/music/b.mp3", {}},
        {"online", [] { SongEntry e = online("C", "c"); e.address = "http://old/c.mp3"; return e; }(),
         "", {"Y/X"}},
    };
    for (const Case &k : cases) {
        setCollection({online("A", "a"), k.entry}, "", true);
        lookups.clear();
        window().refreshList();
        list1()->setCurrentRow(1);
        dialogs.inputAnswers << "X" << "Y";
        action("m_adit")->trigger();
        const SongEntry &e = heldCollection(ctx.player).entry(2);
        EXPECT_EQ(rows(), (QStringList{"A-a", "Y-X"})) << k.what;
        EXPECT_EQ(e.songName, QString("X")) << k.what;
        EXPECT_EQ(e.singer, QString("Y")) << k.what;
        EXPECT_EQ(e.isLocal, k.entry.isLocal) << k.what;
        EXPECT_EQ(e.address, k.expectedAddress) << k.what;
        ctx.player.play(2);
        EXPECT_EQ(lookups, k.expectedLookups) << k.what;
    }
}

TEST_F(SongListTest, EditWithEmptyNameChangesNothingButAsksBoth)
{
    setCollection({online("A", "a")}, "", true);
    window();
    list1()->setCurrentRow(0);
    dialogs.inputAnswers << "" << "Z";
    action("m_adit")->trigger();
    EXPECT_EQ(dialogs.count("input"), 2);
    EXPECT_EQ(heldCollection(ctx.player).entry(1), online("A", "a"));
    EXPECT_TRUE(heldCollection(ctx.player).saved);
}

TEST_F(SongListTest, CommandsWithoutSelectionLeaveTheCollectionIntact)
{
    setCollection({online("A", "a"), online("B", "b")}, "", true);
    showAndWait();
    const SongCollection before = heldCollection(ctx.player);
    ASSERT_EQ(window().selectedRow(), -1);

    action("m_adit")->trigger();
    action("m_Delete")->trigger();
    window().playSelected();
    // A double click on the empty part of the list, below the rows.
    doubleClick(QPoint(10, list1()->viewport()->height() - 5));
    EXPECT_EQ(heldCollection(ctx.player), before);
    EXPECT_EQ(dialogs.asked.size(), 0);
    EXPECT_EQ(player.plays, 0);
}

TEST_F(SongListTest, DeleteRemovesTheSelectedEntry)
{
    setCollection({online("A", "a"), online("B", "b"), online("C", "c")}, "", true);
    window();
    list1()->setCurrentRow(1);
    action("m_Delete")->trigger();
    EXPECT_EQ(rows(), (QStringList{"A-a", "C-c"}));
    EXPECT_FALSE(heldCollection(ctx.player).saved);
    EXPECT_TRUE(action("m_Save")->isEnabled());
}

TEST_F(SongListTest, EditSurvivesTheCollectionShrinkingDuringTheQuestion)
{
    setCollection({online("A", "a"), online("B", "b")});
    window();
    list1()->setCurrentRow(1);
    // Another window replaces the collection while the name box is open.
    dialogs.onAsk = [this](const FakeDialogs::Asked &) { heldCollection(ctx.player) = SongCollection{}; };
    dialogs.inputAnswers << "X" << "Y";
    action("m_adit")->trigger();
    EXPECT_EQ(heldCollection(ctx.player).count, 0);
    EXPECT_TRUE(heldCollection(ctx.player).entry(2).songName.isEmpty());
}

TEST_F(SongListTest, DoubleClickPlaysTheRowUnderTheMouse)
{
    setCollection({local("a.mp3", "/music/a.mp3"), local("b.mp3", "/music/b.mp3")});
    showAndWait();
    const QRect r = list1()->visualItemRect(list1()->item(1));
    doubleClick(r.center());
    EXPECT_EQ(player.urls, QStringList{"/music/b.mp3"});
    EXPECT_EQ(heldCollection(ctx.player).currentIndex, 2);
    EXPECT_TRUE(heldCollection(ctx.player).playing);
}

TEST_F(SongListTest, RightButtonOffersThePopupOnlyWithASelectionAndKeepsIt)
{
    setCollection({online("A", "a"), online("B", "b"), online("C", "c")});
    showAndWait();
    auto *popup = window().findChild<QMenu *>("m");
    const QPoint onRow2 = list1()->visualItemRect(list1()->item(2)).center();

    QTest::mouseClick(list1()->viewport(), Qt::RightButton, {}, onRow2);
    EXPECT_FALSE(popup->isVisible());
    EXPECT_EQ(window().selectedRow(), -1);

    list1()->setCurrentRow(0);
    QTest::mouseClick(list1()->viewport(), Qt::RightButton, {}, onRow2);
    EXPECT_TRUE(popup->isVisible());
    EXPECT_EQ(window().selectedRow(), 0);
    popup->close();

    // ...so its commands act on the selected row, not the one clicked.
    action("m_Delete")->trigger();
    EXPECT_EQ(rows(), (QStringList{"B-b", "C-c"}));
}

TEST_F(SongListTest, NewAsksOnlyAboutUnsavedSongs)
{
    setCollection({online("A", "a")}, "Evening", true);
    window();
    action("m_New")->trigger();
    EXPECT_EQ(dialogs.count("message"), 0);
    EXPECT_EQ(heldCollection(ctx.player), SongCollection{});
    EXPECT_EQ(list1()->count(), 0);
    EXPECT_EQ(list2()->count(), 0);

    setCollection({}, "Empty", false);
    action("m_New")->trigger();
    EXPECT_EQ(dialogs.count("message"), 0);
    EXPECT_EQ(heldCollection(ctx.player), SongCollection{});
}

TEST_F(SongListTest, NewOnUnsavedSongsAsksAndNoKeepsThem)
{
    setCollection({online("A", "a"), online("B", "b")}, "Evening");
    ctx.player.play(2);
    window();
    const SongCollection before = heldCollection(ctx.player);

    dialogs.messageAnswers << Dialogs::Answer::No;
    action("m_New")->trigger();
    ASSERT_EQ(dialogs.count("message"), 1);
    EXPECT_EQ(dialogs.asked[0].text, QString("当前歌集尚未保存，是否舍去当前歌集？"));
    EXPECT_EQ(dialogs.asked[0].title, QString("未保存"));
    EXPECT_EQ(dialogs.asked[0].buttons, Dialogs::Buttons::YesNo);
    EXPECT_EQ(heldCollection(ctx.player), before);
    EXPECT_EQ(rows(), (QStringList{"A-a", "B-b"}));

    dialogs.messageAnswers << Dialogs::Answer::Yes;
    action("m_New")->trigger();
    EXPECT_EQ(heldCollection(ctx.player), SongCollection{});
    EXPECT_EQ(list1()->count(), 0);
    EXPECT_EQ(player.stops, 0); // the song playing goes on
}

TEST_F(SongListTest, LocateSelectsTheSongPlaying)
{
    const QString path = writeFile("four.yyu", "Four\r\n|one\r\n|two\r\n|three\r\n|four\r\n");
    window();
    dialogs.openAnswers << path;
    action("m_Open")->trigger();
    ASSERT_EQ(list1()->count(), 4);

    action("m_定位当前歌曲")->trigger(); // loaded, not playing
    EXPECT_EQ(window().selectedRow(), -1);

    ctx.player.play(3);
    action("m_定位当前歌曲")->trigger();
    EXPECT_EQ(window().selectedRow(), 2);
    EXPECT_EQ(list1()->item(2)->text(), QString("three"));
}

TEST_F(SongListTest, LocateFindsASongByPinyinOrInitials)
{
    setCollection({online("周杰伦", "稻香"), online("林俊杰", "江南"), online("周杰伦", "晴天"),
                   online("Beyond", "海阔天空")});
    window();
    const struct {
        const char *typed;
        int row; // -1: not found, and said so
    } steps[] = {
        {"daoxiang", 0},
        {"zjl", 2},   // asked again: the next match after the selected row
        {"zjl", 0},   // and round to the first
        {"jn", 1},
        {"haikuo", 3},
        {"beyond", 3},
        {"xyz", -1},
    };
    for (const auto &step : steps) {
        dialogs.asked.clear();
        dialogs.inputAnswers << QString::fromUtf8(step.typed);
        action("m_定位当前歌曲")->trigger();
        if (step.row < 0) {
            EXPECT_EQ(dialogs.count("message"), 1) << step.typed;
            continue;
        }
        EXPECT_EQ(window().selectedRow(), step.row) << step.typed;
    }
}

TEST_F(SongListTest, SaveProposesTheAlbumNameAndWritesItAsACollectionFile)
{
    setCollection({online("Singer A", "Song one"), online("", "Song two")}, "Evening");
    window();
    const QString target = QDir(tmp.path()).absoluteFilePath("Evening");
    dialogs.saveAnswers << target;
    dialogs.inputAnswers << "Evening";
    action("m_Save")->trigger();

    ASSERT_EQ(dialogs.count("save"), 1);
    EXPECT_EQ(dialogs.asked[0].text, QString("yyu歌集文件|*.yyu"));
    EXPECT_EQ(dialogs.asked[0].title, QString("Evening"));
    // Typed without an extension, so it gets the one the open dialog looks for.
    EXPECT_EQ(QDir(tmp.path()).entryList(QDir::Files), QStringList{"Evening.yyu"});
    EXPECT_EQ(heldCollection(ctx.player).filePath, target + ".yyu");
    QFile f(target + ".yyu");
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("Evening\r\nSinger A|Song one\r\n|Song two\r\n"));
    EXPECT_TRUE(heldCollection(ctx.player).saved);
    EXPECT_FALSE(action("m_Save")->isEnabled());
}

TEST_F(SongListTest, SaveCancelledWritesNothing)
{
    setCollection({online("A", "a")}, "Evening");
    window();
    dialogs.inputAnswers << "Evening";
    action("m_Save")->trigger(); // the save dialog answers "" (cancel)
    EXPECT_TRUE(QDir(tmp.path()).entryList(QDir::Files).isEmpty());
    EXPECT_FALSE(heldCollection(ctx.player).saved);
    EXPECT_TRUE(action("m_Save")->isEnabled());
}

TEST_F(SongListTest, SortingByPinyinMakesTheOrderTheCollectionsOwn)
{
    setCollection({online("阿杜", "天黑"), online("周杰伦", "稻香"), online("Beyond", "海阔天空")}, "x", true);
    heldCollection(ctx.player).currentIndex = 2; // 稻香
    window();
    const struct {
        const char *action;
        QStringList rows;
    } cases[] = {
        {"m_SortByName", {"周杰伦-稻香", "Beyond-海阔天空", "阿杜-天黑"}},
        {"m_SortBySinger", {"阿杜-天黑", "Beyond-海阔天空", "周杰伦-稻香"}},
    };
    for (const auto &k : cases) {
        action(k.action)->trigger();
        EXPECT_EQ(rows(), k.rows) << k.action;
        EXPECT_TRUE(ctx.player.collection().changed) << k.action;
        // The song that was current stays current where it went.
        EXPECT_EQ(ctx.player.collection().entry(ctx.player.currentIndex()).songName, "稻香") << k.action;
    }
}
