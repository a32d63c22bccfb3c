// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/songlistwindow.h"
#include "playback/player.h"

#include "collection/audioformats.h"
#include "collection/fileexists.h"
#include "collection/pinyin.h"
#include "collection/playlistfile.h"
#include "base/songcollection.h"
#include "collection/songlistlogic.h"
#include "collection/yyufile.h"
#include "ui/navigator.h"
#include "base/services.h"
#include "ui/colors.h"
#include "ui/filedropfilter.h"
#include "playback/filedrops.h"
#include "ui/windowlook.h"
#include "base/settings.h"
#include "base/settingskeys.h"
#include "desktop/dialogs.h"

#include <QAction>
#include <QCloseEvent>
#include <QBoxLayout>
#include <QLayout>
#include <QScreen>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QFile>
#include <QFileInfo>
#include <QMouseEvent>
#include <QStyle>
#include <QTimer>

#include <memory>
#include <tuple>

namespace {
// A playlist longer than this is no list of songs a user keeps.
constexpr qint64 kMaxPlaylistBytes = 16 * 1024 * 1024;
} // namespace

SongListWindow::SongListWindow(Services &services, Player &player, Navigator &windows, QWidget *parent)
    : QMainWindow(parent), services_(services), player_(player), windows_(windows)
{
    setObjectName(QStringLiteral("frm歌曲列表"));
    useCjkFont(this);
    // The player's own icon, without this window knowing the main window.
    if (QWidget *main = windows_.existingMainWindow())
        setWindowIcon(main->windowIcon());

    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    setCentralWidget(client);

    // The album column keeps its width; the song list takes whatever room
    // the user gives the window.
    albumList_ = new QListWidget(client);
    albumList_->setObjectName(QStringLiteral("List2"));
    albumList_->setFixedWidth(twipsToPixels(1095));
    // The album column only names the collection; nothing there is chosen.
    albumList_->setSelectionMode(QAbstractItemView::NoSelection);
    albumList_->setFocusPolicy(Qt::NoFocus);

    songList_ = new QListWidget(client);
    songList_->setObjectName(QStringLiteral("List1"));
    songList_->setMinimumWidth(twipsToPixels(1500));
    songList_->setSelectionMode(QAbstractItemView::SingleSelection);
    songList_->viewport()->installEventFilter(this);

    auto *lists = new QHBoxLayout(client);
    const int margin = twipsToPixels(240);
    lists->setContentsMargins(margin, margin, margin, margin);
    lists->setSpacing(twipsToPixels(105));
    lists->addWidget(albumList_);
    lists->addWidget(songList_, 1);

    buildMenus();
    new FileDropFilter(this, [this](const QStringList &paths) { dropOnSongList(services_.dialogs, player_, paths); });
    for (auto changed : {&Player::collectionChanged, &Player::unplayableChanged}) {
        connect(&player_, changed, this, [this] {
            if (loaded_)
                refreshList();
        });
    }
    resize(twipsToPixels(4425), twipsToPixels(4155) + menuBar()->sizeHint().height());

    load();
}

void SongListWindow::buildMenus()
{
    QMenuBar *bar = menuBar();

    QMenu *file = bar->addMenu(QStringLiteral("歌集"));
    file->setObjectName(QStringLiteral("m_File"));
    file->menuAction()->setObjectName(QStringLiteral("m_File"));
    connect(namedAction(file, "m_Open", QStringLiteral("打开歌集")), &QAction::triggered, this,
            &SongListWindow::openCollection);
    save_ = namedAction(file, "m_Save", QStringLiteral("保存歌集"));
    savePlaylist_ = namedAction(file, "m_SavePlaylist", QStringLiteral("另存为播放列表"));
    namedSeparator(file, "f");
    connect(namedAction(file, "m_AddSongs", QStringLiteral("添加歌曲…")), &QAction::triggered, this,
            &SongListWindow::addSongs);
    // Pinyin order: the order becomes the collection's own, a change to save.
    for (const auto &[name, text, by] : {std::tuple{"m_SortByName", "按歌名排序", SortBy::Name},
                                         std::tuple{"m_SortBySinger", "按歌手排序", SortBy::Singer}}) {
        const SortBy order = by;
        connect(namedAction(file, name, QString::fromUtf8(text)), &QAction::triggered, this, [this, order] {
            player_.editCollection([order](SongCollection &c) {
                const SongCollection before = c;
                sortEntries(c, order);
                if (c != before)
                    c.changed = true;
            });
        });
    }
    connect(namedAction(file, "m_New", QStringLiteral("新歌集")), &QAction::triggered, this,
            &SongListWindow::startNewCollection);
    connect(namedAction(bar, "m_定位当前歌曲", QStringLiteral("定位歌曲")), &QAction::triggered, this,
            &SongListWindow::locateCurrentSong);
    connect(namedAction(bar, "m_check", QStringLiteral("歌曲去重")), &QAction::triggered, this, [this] {
        player_.editCollection(tidyCollection);
    });

    // Lives in the menu bar but is never shown there: it is List1's pop-up.
    popup_ = bar->addMenu(QStringLiteral("右键菜单"));
    popup_->setObjectName(QStringLiteral("m"));
    popup_->menuAction()->setObjectName(QStringLiteral("m"));
    popup_->menuAction()->setVisible(false);
    connect(namedAction(popup_, "m_adit", QStringLiteral("编辑该条")), &QAction::triggered, this,
            &SongListWindow::editSelected);
    connect(namedAction(popup_, "m_Delete", QStringLiteral("删除该条")), &QAction::triggered, this,
            &SongListWindow::deleteSelected);

    // Keys on a row: Delete removes it, Enter plays it.
    auto *remove = new QAction(songList_);
    remove->setObjectName(QStringLiteral("key_delete"));
    remove->setShortcut(QKeySequence::Delete);
    remove->setShortcutContext(Qt::WidgetShortcut);
    connect(remove, &QAction::triggered, this, &SongListWindow::deleteSelected);
    songList_->addAction(remove);
    auto *play = new QAction(songList_);
    play->setObjectName(QStringLiteral("key_play"));
    play->setShortcuts({QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)});
    play->setShortcutContext(Qt::WidgetShortcut);
    connect(play, &QAction::triggered, this, &SongListWindow::playSelected);
    songList_->addAction(play);

    connect(save_, &QAction::triggered, this, &SongListWindow::saveCurrentCollection);
    connect(savePlaylist_, &QAction::triggered, this, &SongListWindow::saveAsPlaylist);
}

void SongListWindow::load()
{
    loaded_ = true;
    setWindowTitle(services_.settings.value(SettingKeys::topCaption,
                                        QString::fromUtf8(SettingKeys::songListTopCaptionFallback))
                   % QStringLiteral("[创建属于我的歌集]"));
    // Wide enough that the title bar shows the whole caption.
    resize(qMax(width(), widthForCaption(windowTitle(), font())), height());
    // The client area takes the colour; the menu bar keeps the desktop's, or
    // a dark colour would swallow its captions.
    applyStoredBackColor(centralWidget(), services_.settings);
    refreshList();
    placeBesideMainWindow();
    framePending_ = true;
}

void SongListWindow::placeBesideMainWindow()
{
    QWidget *main = windows_.existingMainWindow();
    if (!main || main == this)
        return;
    // Outer edges, as the user sees the two windows side by side.
    const QRect m = main->frameGeometry();
    QRect beside(QPoint(m.x() + m.width() + twipsToPixels(200), m.y()), frameGeometry().size());
    // Where the screen ends before its right side does, it goes to the main
    // window's left, and failing that wherever it fits.
    const QRect screen = main->screen() ? main->screen()->availableGeometry() : QRect();
    if (screen.isValid() && beside.right() > screen.right())
        beside.moveRight(m.x() - twipsToPixels(200) - 1);
    move(keptOnScreen(beside, screen));
}

void SongListWindow::refreshList()
{
    if (!loaded_) {
        load(); // loading refreshes
        return;
    }
    songList_->clear();
    albumList_->clear();

    // Tidying on every refresh is the list's own doing, not the user's. The
    // tidied collection comes back through collectionChanged.
    SongCollection tidied = player_.collection();
    tidyCollection(tidied);
    tidied.changed = player_.collection().changed;
    if (tidied != player_.collection()) {
        player_.editCollection([&tidied](SongCollection &c) { c = tidied; });
        return;
    }
    const SongCollection &c = player_.collection();

    albumList_->addItem(c.albumName);
    for (int n = 1; n <= c.count; ++n) {
        auto *row = new QListWidgetItem(songRowText(c.entry(n)), songList_);
        // A song that could not be played carries a mark and says why.
        const QString why = player_.unplayableReason(c.entry(n));
        if (!why.isEmpty()) {
            row->setIcon(style()->standardIcon(QStyle::SP_MessageBoxWarning));
            row->setToolTip(QStringLiteral("无法播放：") + why);
        }
    }

    save_->setEnabled(hasUnsavedSongs(c));
    savePlaylist_->setEnabled(c.count > 0);
}

int SongListWindow::selectedRow() const
{
    const QList<QListWidgetItem *> sel = songList_->selectedItems();
    if (sel.isEmpty())
        return -1;
    return songList_->row(sel.first());
}

void SongListWindow::playSelected()
{
    const int row = selectedRow();
    // A row the collection no longer has would play an empty slot.
    if (row < 0 || row >= player_.collection().count)
        return;
    player_.play(row + 1);
}

void SongListWindow::editSelected()
{
    const int row = selectedRow();
    if (row < 0 || row >= player_.collection().count)
        return;
    const int n = row + 1;
    // Both questions are asked even when the first is left empty.
    const SongEntry before = player_.collection().entry(n);
    const QString name = services_.dialogs.inputBox(QStringLiteral("请输入歌曲的名称"),
                                                QStringLiteral("名称"), before.songName);
    const QString singer = services_.dialogs.inputBox(
        QStringLiteral("请输入歌手名，如果不清楚可以留空。"), QStringLiteral("歌手"), before.singer);
    // The dialogs run their own event loops; whatever ran meanwhile may have
    // shrunk the collection, so the entry is checked again before it changes.
    if (n > player_.collection().count)
        return;
    SongCollection renamed = player_.collection();
    if (renameEntry(renamed, n, name, singer))
        player_.editCollection([&renamed](SongCollection &c) { c = renamed; });
}

void SongListWindow::deleteSelected()
{
    const int row = selectedRow();
    if (row < 0 || row >= player_.collection().count)
        return;
    player_.editCollection([row](SongCollection &c) { removeEntry(c, row + 1); });
}

void SongListWindow::addSongs()
{
    const QStringList files = services_.dialogs.openFiles(
        QStringLiteral("歌曲和播放列表|") % audioFilePatterns() % QLatin1Char(';') % playlistFilePatterns());
    // Songs are added as they are; a playlist adds the songs it lists.
    QStringList songs;
    SongCollection listed;
    for (const QString &f : files) {
        if (!isPlaylistFile(f)) {
            songs << f;
            continue;
        }
        QFile playlist(f);
        if (!playlist.open(QIODevice::ReadOnly))
            continue;
        const QString type = fileExtension(f);
        const PlaylistFile::Kind kind = type == QLatin1String(".pls")    ? PlaylistFile::Kind::Pls
                                        : type == QLatin1String(".m3u8") ? PlaylistFile::Kind::M3u8
                                                                         : PlaylistFile::Kind::M3u;
        const PlaylistFile::Parsed parsed =
            PlaylistFile::parse(playlist.read(kMaxPlaylistBytes), kind, QFileInfo(f).absolutePath());
        for (int n = 1; n <= parsed.collection.count && !listed.isFull(); ++n)
            listed.entry(++listed.count) = parsed.collection.entry(n);
    }
    if (!songs.isEmpty())
        dropOnSongList(services_.dialogs, player_, songs);
    if (listed.count == 0)
        return;
    int leftOut = 0;
    player_.editCollection([&](SongCollection &c) {
        for (int n = 1; n <= listed.count; ++n) {
            if (c.isFull()) {
                ++leftOut;
                continue;
            }
            c.entry(++c.count) = listed.entry(n);
            c.saved = false;
            c.changed = true;
        }
    });
    if (leftOut > 0)
        services_.dialogs.messageBox(QStringLiteral("当前歌集最多只能保存%1首歌曲，有%2首没有添加。")
                                         .arg(SongCollection::kCapacity)
                                         .arg(leftOut));
}

void SongListWindow::startNewCollection()
{
    if (wouldLoseUserChanges(player_.collection())) {
        const Dialogs::Answer a = services_.dialogs.messageBox(
            QStringLiteral("当前歌集尚未保存，是否舍去当前歌集？"), QStringLiteral("未保存"),
            Dialogs::Buttons::YesNo);
        if (a != Dialogs::Answer::Yes)
            return;
    }
    // The song that is playing keeps playing; only the list is new, and
    // shows nothing until the user adds to it.
    player_.replaceCollection(SongCollection{});
    songList_->clear();
    albumList_->clear();
}

void SongListWindow::openCollection()
{
    const QString path = services_.dialogs.openFile(
        QStringLiteral("歌集文件|*.yyu;") % playlistFilePatterns(), QString());
    if (path.isEmpty() || !fileExists(path))
        return;
    player_.editCollection([&](SongCollection &c) {
        if (isPlaylistFile(path))
            PlaylistFile::load(c, path, services_.settings, services_.dialogs);
        else
            loadCollection(c, path, services_.settings, &services_.dialogs);
    });
}

void SongListWindow::saveAsPlaylist()
{
    QString path = services_.dialogs.saveFile(QStringLiteral("播放列表|*.m3u8"), player_.collection().albumName);
    if (path.isEmpty())
        return;
    if (fileExtension(path) != QLatin1String(".m3u8"))
        path += QStringLiteral(".m3u8");
    PlaylistFile::save(player_.collection(), path, services_.dialogs);
}

void SongListWindow::saveCurrentCollection()
{
    const QString path =
        services_.dialogs.saveFile(QStringLiteral("yyu歌集文件|*.yyu"), player_.collection().albumName);
    player_.editCollection([&](SongCollection &c) {
        saveCollection(c, path, services_.dialogs);
        if (c.saved)
            c.changed = false;
    });
}

void SongListWindow::locateCurrentSong()
{
    // Letters find a song by its name or singer, also in pinyin or by its
    // initials ("daoxiang", "zjl"); nothing typed goes to the song that plays.
    const QString query = services_.dialogs
                              .inputBox(QStringLiteral("输入歌名或歌手（可用拼音或首字母），"
                                                       "不输入则定位正在播放的歌曲："),
                                        QStringLiteral("定位歌曲"), lastQuery_)
                              .trimmed();
    const SongCollection &c = player_.collection();
    int row = -1;
    if (query.isEmpty()) {
        if (!c.playing)
            return;
        row = c.currentIndex - 1;
    } else {
        lastQuery_ = query;
        const QList<int> found = finder_.find(c, query);
        if (found.isEmpty()) {
            services_.dialogs.messageBox(QStringLiteral("没有找到“%1”。").arg(query),
                                         QStringLiteral("定位歌曲"));
            return;
        }
        // Asked again, it goes on to the next match after the selected row.
        row = found.first() - 1;
        for (int n : found) {
            if (n - 1 > selectedRow()) {
                row = n - 1;
                break;
            }
        }
    }
    if (row < 0 || row >= songList_->count())
        return;
    songList_->clearSelection();
    songList_->setCurrentRow(row);
    songList_->scrollToItem(songList_->item(row));
}

bool SongListWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == songList_->viewport()) {
        if (event->type() == QEvent::MouseButtonPress) {
            auto *me = static_cast<QMouseEvent *>(event);
            if (me->button() == Qt::RightButton) {
                // The pop-up acts on the selected row, so the right button
                // must not move the selection to the row under the mouse.
                if (selectedRow() >= 0)
                    popup_->popup(me->globalPosition().toPoint());
                return true;
            }
        } else if (event->type() == QEvent::MouseButtonDblClick) {
            auto *me = static_cast<QMouseEvent *>(event);
            if (me->button() == Qt::LeftButton)
                playSelected();
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void SongListWindow::showEvent(QShowEvent *event)
{
    if (!loaded_)
        load();
    QMainWindow::showEvent(event);
    if (framePending_)
        followFrame();
}

void SongListWindow::followFrame()
{
    // Placed before a window manager framed it, the window has its client
    // area where the frame belongs, so its frame stands a title bar higher
    // than the main window's. Once the frame is known (within a few seconds,
    // or never without a window manager) the frame is put in its place.
    framePending_ = false;
    auto *poll = new QTimer(this);
    auto tries = std::make_shared<int>(0);
    connect(poll, &QTimer::timeout, this, [this, poll, tries] {
        if (frameGeometry() != geometry() || ++*tries >= 50) {
            poll->deleteLater();
            if (*tries < 50)
                placeBesideMainWindow();
        }
    });
    poll->start(100);
}

void SongListWindow::closeEvent(QCloseEvent *event)
{
    loaded_ = false;
    QMainWindow::closeEvent(event);
}
