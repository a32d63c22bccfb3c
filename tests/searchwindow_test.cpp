// SPDX-License-Identifier: GPL-3.0-or-later
// The music search window under the offscreen platform: layout, the hint
// text, searching, adding, playing and saving, with canned replies and with
// the loopback service.
#include "playback/player.h"
#include "ui/appcontext.h"
#include "base/settings.h"
#include "online/addressresolver.h"
#include "online/encodeurl.h"
#include "windows/searchwindow.h"
#include "online/songsearch.h"
#include "store/memorysettingsbackend.h"
#include "net/qthttpclient.h"
#include "support/fakeservices.h"
#include "support/loopbackserver.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

const QString kSearchHost = QStringLiteral("search.test");

// The fake web, or the real client given.
struct Fixture : FakeServices {
    explicit Fixture(HttpClient *web = nullptr) : FakeServices({.http = web})
    {
        ctx.services.resolver = makeResolver(ctx.services);
        ctx.navigator = &nav;
        QObject::connect(&ctx.player, &Player::collectionChanged, [this] { ++refreshes; });
        setHosts(kSearchHost, QStringLiteral("lookup.test"));
    }
    void setHosts(const QString &search, const QString &lookup)
    {
        storeEntry(settings, Settings::sharedAppName(), QStringLiteral("网络"), QStringLiteral("搜索主机"), search);
        storeEntry(settings, Settings::sharedAppName(), QStringLiteral("网络"), QStringLiteral("查询主机"), lookup);
    }

    int refreshes = 0;
};

template <class T>
T *child(QWidget &w, const char *name)
{
    return w.findChild<T *>(QString::fromUtf8(name));
}

QStringList lines(SearchWindow &w)
{
    QStringList out;
    auto *list = child<QListWidget>(w, "List1");
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

void fillResults(AppContext &ctx, const QList<QPair<QString, QString>> &songs)
{
    ctx.session.searchResults = SongCollection{};
    for (const auto &s : songs)
        addEntry(ctx.session.searchResults, s.second, s.first, QString());
}

void selectRows(SearchWindow &w, const QList<int> &rows)
{
    auto *list = child<QListWidget>(w, "List1");
    list->clearSelection();
    for (int r : rows)
        list->item(r)->setSelected(true);
    if (!rows.isEmpty())
        list->setCurrentRow(rows.first(), QItemSelectionModel::NoUpdate);
}

void showActive(QWidget &w)
{
    w.show();
    QApplication::setActiveWindow(&w);
    // The offscreen platform may never report the window active; the caller
    // checks what it needs, so a timeout here is no failure.
    (void)QTest::qWaitForWindowActive(&w, 2000);
    QApplication::processEvents();
}

} // namespace

TEST(SearchWindow, ControlsCaptionsGeometryAndTabOrder)
{
    Fixture f;
    SearchWindow w(f.ctx.services, f.ctx.session, f.ctx.player, f.ctx.windows());
    EXPECT_EQ(w.objectName(), QStringLiteral("frm音乐搜索"));
    EXPECT_EQ(w.windowTitle(), QStringLiteral("搜索网络歌曲"));
    EXPECT_EQ(w.size(), QSize(399, 287));
    auto *text = child<QLineEdit>(w, "Text1");
    auto *button = child<QPushButton>(w, "Command1");
    auto *list = child<QListWidget>(w, "List1");
    ASSERT_TRUE(text && button && list);
    EXPECT_EQ(text->text(), QStringLiteral("请输入歌手名或者歌曲名称"));
    EXPECT_EQ(button->text(), QStringLiteral("搜索"));
    EXPECT_EQ(text->geometry(), QRect(16, 32, 297, 26));
    EXPECT_EQ(button->geometry(), QRect(320, 32, 57, 25));
    EXPECT_EQ(list->geometry(), QRect(16, 72, 369, 196));
    EXPECT_EQ(list->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_EQ(text->nextInFocusChain(), button);
    EXPECT_EQ(button->nextInFocusChain(), list);

    auto *menu = child<QMenu>(w, "m_R");
    ASSERT_TRUE(menu);
    EXPECT_EQ(menu->title(), QStringLiteral("右键"));
    QStringList names, texts;
    for (QAction *a : menu->actions()) {
        names << a->objectName();
        texts << (a->isSeparator() ? QStringLiteral("-") : a->text());
    }
    EXPECT_EQ(names, (QStringList{"m_addsong", "m_New", "右键_分割线", "m_全选"}));
    EXPECT_EQ(texts, (QStringList{"添加到歌集", "创建新歌集", "-", "全选"}));
}

TEST(SearchWindow, HintTextIsNeverSearched)
{
    Fixture f;
    SearchWindow w(f.ctx.services, f.ctx.session, f.ctx.player, f.ctx.windows());
    auto *text = child<QLineEdit>(w, "Text1");
    auto *button = child<QPushButton>(w, "Command1");
    showActive(w);
    EXPECT_TRUE(text->text().isEmpty());
    EXPECT_TRUE(text->hasFocus());

    // Leaving the box empty puts the hint back; searching it does nothing.
    button->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(text->text(), SearchWindow::hintText());
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_TRUE(f.http.requested.isEmpty());
    // Entering the box empties it, whatever it holds.
    text->setFocus(Qt::TabFocusReason);
    EXPECT_TRUE(text->text().isEmpty());
    text->setText(QStringLiteral("旧词"));
    button->setFocus(Qt::TabFocusReason);
    text->setFocus(Qt::MouseFocusReason);
    EXPECT_TRUE(text->text().isEmpty());
}

TEST(SearchWindow, EnterSearchesAndListsTidiedResults)
{
    Fixture f;
    const QString kw = QStringLiteral("周杰伦");
    const QString singer = QStringLiteral("\"><span class='keyword'>周杰伦</span>");
    f.http.respond(encodeUrl(searchPageUrl(kSearchHost, kw, 1)),
                   (QStringLiteral("<!--h--><a><!--t-->稻香</a><a singerDetail") + singer
                    + QStringLiteral("</a><a><!--t-->稻香 (Live)</a><a singerDetail") + singer
                    + QStringLiteral("</a><a><!--t-->无名</a><a><!--e--><br></a>"))
                       .toUtf8());
    SearchWindow w(f.ctx.services, f.ctx.session, f.ctx.player, f.ctx.windows());
    showActive(w);
    auto *text = child<QLineEdit>(w, "Text1");
    text->insert(kw);
    QTest::keyClick(text, Qt::Key_Return);
    EXPECT_EQ(f.ctx.session.searchText, kw);
    EXPECT_EQ(lines(w), (QStringList{"周杰伦-稻香", "无名"}));
    EXPECT_EQ(f.ctx.session.searchResults.count, 2);

    // An empty search clears the list without asking the service.
    text->clear();
    w.search();
    EXPECT_TRUE(lines(w).isEmpty());
    EXPECT_EQ(f.http.requested.size(), 1);
}

TEST(SearchWindow, DoubleClickAddsOneEntryAndPlaysIt)
{
    Fixture f;
    f.http.respond(encodeUrl(QStringLiteral("http://lookup.test/x?op=12&count=1&title=稻香$$周杰伦$$$$")),
                   "<r><count>1</count><encode><![CDATA[http://m/a/b.mp3]]></encode>"
                   "<decode><![CDATA[c.mp3]]></decode></r>");
    fillResults(f.ctx, {{"周杰伦", "稻香"}, {"", "无名"}});
    addEntry(heldCollection(f.ctx.player), QStringLiteral("稻香"), QStringLiteral("周杰伦"), QString());
    SearchWindow w(f.ctx.services, f.ctx.session, f.ctx.player, f.ctx.windows());
    auto *list = child<QListWidget>(w, "List1");
    showActive(w);

    // Nothing selected: nothing happens.
    w.addAndPlayCurrentLine();
    EXPECT_EQ(heldCollection(f.ctx.player).count, 1);

    const QRect r = list->visualItemRect(list->item(0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, r.center());
    ASSERT_EQ(heldCollection(f.ctx.player).count, 2);
    EXPECT_EQ(heldCollection(f.ctx.player).entry(2).singer, QStringLiteral("周杰伦"));
    EXPECT_EQ(heldCollection(f.ctx.player).entry(2).songName, QStringLiteral("稻香"));
    EXPECT_EQ(heldCollection(f.ctx.player).entry(2).address, QStringLiteral("http://m/a/c.mp3"));
    EXPECT_EQ(heldCollection(f.ctx.player).currentIndex, 2);
    EXPECT_EQ(f.player.urls, QStringList{"http://m/a/c.mp3"});
    EXPECT_EQ(f.refreshes, 1);

    // A line without singer; its address is not found, and playback says nothing.
    selectRows(w, {1});
    w.addAndPlayCurrentLine();
    ASSERT_EQ(heldCollection(f.ctx.player).count, 3);
    EXPECT_EQ(heldCollection(f.ctx.player).entry(3).songName, QStringLiteral("无名"));
    EXPECT_TRUE(heldCollection(f.ctx.player).entry(3).singer.isEmpty());
    EXPECT_TRUE(f.dialogs.asked.isEmpty());
}

TEST(SearchWindow, AddSelectedLinesSplitsAtEveryDash)
{
    Fixture f;
    fillResults(f.ctx, {{"甲", "一"}, {"", "二"}, {"丙-丁", "三-四"}, {"戊", "五"}});
    SearchWindow w(f.ctx.services, f.ctx.session, f.ctx.player, f.ctx.windows());
    EXPECT_EQ(lines(w), (QStringList{"甲-一", "二", "丙-丁-三-四", "戊-五"}));

    w.addSelectedLines(); // nothing selected
    EXPECT_EQ(heldCollection(f.ctx.player).count, 0);
    EXPECT_EQ(f.refreshes, 0);

    selectRows(w, {0, 1, 2});
    child<QAction>(w, "m_addsong")->trigger();
    ASSERT_EQ(heldCollection(f.ctx.player).count, 3);
    EXPECT_EQ(heldCollection(f.ctx.player).entry(1).singer, QStringLiteral("甲"));
    EXPECT_EQ(heldCollection(f.ctx.player).entry(2).songName, QStringLiteral("二"));
    EXPECT_TRUE(heldCollection(f.ctx.player).entry(2).singer.isEmpty());
    EXPECT_EQ(heldCollection(f.ctx.player).entry(3).singer, QStringLiteral("丙"));
    EXPECT_EQ(heldCollection(f.ctx.player).entry(3).songName, QStringLiteral("丁"));
    EXPECT_EQ(f.refreshes, 1);
    EXPECT_TRUE(f.player.urls.isEmpty());

    child<QAction>(w, "m_全选")->trigger();
    EXPECT_EQ(child<QListWidget>(w, "List1")->selectedItems().size(), 4);
}

TEST(SearchWindow, FullCollectionStaysIntactAndIsReportedOnce)
{
    Fixture f;
    fillResults(f.ctx, {{"甲", "一"}, {"乙", "二"}, {"丙", "三"}});
    for (int i = 0; i < 99; ++i)
        addEntry(heldCollection(f.ctx.player), QStringLiteral("歌%1").arg(i), QString(), QStringLiteral("/m/%1.mp3").arg(i));
    const SongCollection before = heldCollection(f.ctx.player);
    SearchWindow w(f.ctx.services, f.ctx.session, f.ctx.player, f.ctx.windows());
    child<QAction>(w, "m_全选")->trigger();
    w.addSelectedLines();
    EXPECT_EQ(heldCollection(f.ctx.player).count, 100);
    EXPECT_EQ(heldCollection(f.ctx.player).entry(100).songName, QStringLiteral("一"));
    for (int n = 1; n <= 99; ++n)
        EXPECT_EQ(heldCollection(f.ctx.player).entry(n), before.entry(n));
    EXPECT_EQ(f.dialogs.count(QStringLiteral("message")), 1);

    // A double click on a full collection neither adds nor plays another song.
    selectRows(w, {2});
    w.addAndPlayCurrentLine();
    EXPECT_EQ(heldCollection(f.ctx.player).count, 100);
    EXPECT_TRUE(f.player.urls.isEmpty());
    EXPECT_EQ(f.dialogs.count(QStringLiteral("message")), 2);
}

TEST(SearchWindow, CreateNewCollectionSavesAllResults)
{
    Fixture f;
    QTemporaryDir dir;
    fillResults(f.ctx, {{"甲", "一"}, {"乙", "二"}});
    f.ctx.session.searchText = QStringLiteral("搜的词");
    SearchWindow w(f.ctx.services, f.ctx.session, f.ctx.player, f.ctx.windows());
    selectRows(w, {0});

    // Cancelled in the save dialog: nothing is written.
    f.dialogs.inputAnswers.enqueue(QStringLiteral("我的专辑"));
    w.saveResultsAsCollection();
    EXPECT_EQ(f.dialogs.asked.value(0).extra, QStringLiteral("搜的词"));
    EXPECT_EQ(f.dialogs.asked.value(1).kind, QStringLiteral("save"));
    EXPECT_EQ(f.dialogs.asked.value(1).text, QStringLiteral("歌集(*.yyu)|*.yyu"));
    EXPECT_EQ(f.dialogs.asked.value(1).title, QStringLiteral("我的专辑"));
    EXPECT_EQ(f.dialogs.asked.size(), 2);

    // The hint as a name stops before the save dialog.
    f.dialogs.asked.clear();
    f.dialogs.inputAnswers.enqueue(SearchWindow::hintText());
    w.saveResultsAsCollection();
    EXPECT_EQ(f.dialogs.asked.size(), 1);

    const QString path = dir.filePath(QStringLiteral("album.yyu"));
    f.dialogs.inputAnswers.enqueue(QStringLiteral("我的专辑"));
    f.dialogs.saveAnswers.enqueue(path);
    f.dialogs.inputAnswers.enqueue(QStringLiteral("我的专辑"));
    w.saveResultsAsCollection();
    ASSERT_TRUE(QFile::exists(path));
    EXPECT_EQ(f.ctx.session.searchResults.filePath, path);
    EXPECT_EQ(heldCollection(f.ctx.player).count, 0);
}

TEST(SearchWindow, RightClickPopsTheMenuWithSelectionDependentItems)
{
    Fixture f;
    SearchWindow empty(f.ctx.services, f.ctx.session, f.ctx.player, f.ctx.windows());
    showActive(empty);
    auto *list = child<QListWidget>(empty, "List1");
    QTest::mouseClick(list->viewport(), Qt::RightButton, {}, QPoint(10, 10));
    QApplication::processEvents();
    EXPECT_FALSE(child<QMenu>(empty, "m_R")->isVisible());
    empty.close();

    fillResults(f.ctx, {{"甲", "一"}, {"乙", "二"}});
    SearchWindow w(f.ctx.services, f.ctx.session, f.ctx.player, f.ctx.windows());
    showActive(w);
    list = child<QListWidget>(w, "List1");
    auto *menu = child<QMenu>(w, "m_R");
    const QRect below(0, list->visualItemRect(list->item(1)).bottom() + 20, 10, 10);
    QTest::mouseClick(list->viewport(), Qt::RightButton, {}, below.center());
    QApplication::processEvents();
    EXPECT_TRUE(menu->isVisible());
    EXPECT_FALSE(child<QAction>(w, "m_addsong")->isEnabled());
    EXPECT_FALSE(child<QAction>(w, "m_New")->isEnabled());
    EXPECT_TRUE(child<QAction>(w, "m_全选")->isEnabled());
    menu->hide();

    // The right button leaves the selection as it is, several lines included,
    // so "添加到歌集" adds every one of them.
    QTest::mouseClick(list->viewport(), Qt::RightButton, {},
                      list->visualItemRect(list->item(0)).center());
    QApplication::processEvents();
    EXPECT_TRUE(list->selectedItems().isEmpty());
    EXPECT_FALSE(child<QAction>(w, "m_addsong")->isEnabled());
    menu->hide();
    list->selectAll();
    QTest::mouseClick(list->viewport(), Qt::RightButton, {},
                      list->visualItemRect(list->item(1)).center());
    QApplication::processEvents();
    EXPECT_TRUE(menu->isVisible());
    EXPECT_EQ(list->selectedItems().size(), 2);
    EXPECT_TRUE(child<QAction>(w, "m_addsong")->isEnabled());
    EXPECT_TRUE(child<QAction>(w, "m_New")->isEnabled());
    menu->hide();
    child<QAction>(w, "m_addsong")->trigger();
    EXPECT_EQ(heldCollection(f.ctx.player).count, 2);
}

TEST(SearchWindow, ReopenedWindowListsTheSameResultsAndFollowsTheMainWindow)
{
    Fixture f;
    QWidget main;
    main.move(120, 80);
    f.nav.main = &main;
    f.ctx.navigator = &f.nav;
    storeEntry(f.settings, f.settings.programAppName(), QStringLiteral("设置"), QStringLiteral("背景颜色"),
                    QStringLiteral("255"));
    fillResults(f.ctx, {{"甲", "一"}});
    {
        SearchWindow first(f.ctx.services, f.ctx.session, f.ctx.player, f.ctx.windows());
        EXPECT_EQ(lines(first), QStringList{"甲-一"});
    }
    SearchWindow again(f.ctx.services, f.ctx.session, f.ctx.player, f.ctx.windows());
    EXPECT_EQ(lines(again), QStringList{"甲-一"});
    EXPECT_EQ(child<QLineEdit>(again, "Text1")->text(), SearchWindow::hintText());
    EXPECT_EQ(again.pos(), main.pos());
    EXPECT_EQ(again.palette().color(QPalette::Window), QColor(255, 0, 0));
}

// Against the loopback service with the real client: the whole path from
// the typed words to a playing address.
TEST(SearchWindow, SearchesTheLoopbackServiceAndPlaysADoubleClickedSong)
{
    LoopbackServer server;
    ASSERT_TRUE(server.started());
    QtHttpClient http;
    Fixture f(&http);
    f.setHosts(server.host(), server.host());

    SearchWindow w(f.ctx.services, f.ctx.session, f.ctx.player, f.ctx.windows());
    showActive(w);
    auto *text = child<QLineEdit>(w, "Text1");
    text->insert(QStringLiteral("周杰伦"));
    QTest::mouseClick(child<QPushButton>(w, "Command1"), Qt::LeftButton);

    const QStringList shown = lines(w);
    ASSERT_EQ(shown.size(), 13); // 14 on two pages, the live version tidied away
    EXPECT_EQ(shown.first(), QStringLiteral("周杰伦-稻香"));
    EXPECT_TRUE(shown.contains(QStringLiteral("周杰伦-彩虹")));
    const QStringList req = server.requests();
    ASSERT_EQ(req.size(), 2);
    EXPECT_EQ(req[0], QStringLiteral("/music/musicSearchResult.jsp?mode=1&uID=xbrqeltwyna-kiQv"
                                     "&v=2&p=1&w=1104&keyword=%E5%91%A8%E6%9D%B0%E4%BC%A6"));
    EXPECT_TRUE(req[1].contains(QStringLiteral("&p=2&")));
    EXPECT_TRUE(req[1].endsWith(QStringLiteral("keyword=%E5%91%A8%E6%9D%B0%E4%BC%A6")));

    auto *list = child<QListWidget>(w, "List1");
    const QRect r = list->visualItemRect(list->item(1)); // 晴天: its first candidate is not an MP3
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, r.center());
    ASSERT_EQ(heldCollection(f.ctx.player).count, 1);
    EXPECT_EQ(heldCollection(f.ctx.player).entry(1).songName, QStringLiteral("晴天"));
    EXPECT_EQ(f.player.urls, QStringList{server.url(QStringLiteral("/mp3/1/s1.mp3"))});
    EXPECT_TRUE(server.requests().last().startsWith(
        QStringLiteral("/x?op=12&count=1&title=%E6%99%B4%E5%A4%A9$$%E5%91%A8")));
    EXPECT_TRUE(f.dialogs.asked.isEmpty());
}

TEST(SearchWindow, SilentServiceEndsTheSearchWithinTheLimitWithAMessage)
{
    LoopbackServer hanging({QStringLiteral("--hang")});
    ASSERT_TRUE(hanging.started());
    QtHttpClient http;
    Fixture f(&http);
    f.setHosts(hanging.host(), hanging.host());
    storeEntry(f.settings, Settings::sharedAppName(), QStringLiteral("网络"), QStringLiteral("超时毫秒"),
                    QStringLiteral("1500"));
    fillResults(f.ctx, {{"甲", "一"}});
    f.player.report(MediaPlayer::Playing);

    SearchWindow w(f.ctx.services, f.ctx.session, f.ctx.player, f.ctx.windows());
    showActive(w);
    child<QLineEdit>(w, "Text1")->insert(QStringLiteral("周杰伦"));
    QElapsedTimer clock;
    clock.start();
    w.search();
    EXPECT_LT(clock.elapsed(), 1500 + 1500);
    ASSERT_EQ(f.dialogs.asked.size(), 1);
    EXPECT_TRUE(f.dialogs.asked[0].text.contains(QStringLiteral("超时")));
    EXPECT_TRUE(lines(w).isEmpty());
    // The player was left alone.
    EXPECT_EQ(f.player.playState(), MediaPlayer::Playing);
    EXPECT_TRUE(f.player.calls.isEmpty());
}
