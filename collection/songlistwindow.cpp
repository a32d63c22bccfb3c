#include "collection/songlistwindow.h"
#include "collection/playentry.h"

#include "collection/audioformats.h"
#include "collection/fileexists.h"
#include "collection/playlistfile.h"
#include "base/songcollection.h"
#include "collection/songlistlogic.h"
#include "collection/yyufile.h"
#include "base/navigator.h"
#include "base/session.h"
#include "platform/services.h"
#include "base/colors.h"
#include "base/filedropfilter.h"
#include "collection/filedrops.h"
#include "base/windowlook.h"
#include "base/settings.h"
#include "base/settingskeys.h"
#include "platform/dialogs.h"

#include <QAction>
#include <QCloseEvent>
#include <QBoxLayout>
#include <QLayout>
#include <QScreen>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QTimer>

#include <memory>

SongListWindow::SongListWindow(Services &services, Session &session, Navigator &windows, QWidget *parent)
    : QMainWindow(parent), services_(services), session_(session), windows_(windows)
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
    new FileDropFilter(this, [this](const QStringList &paths) { dropOnSongList(services_.dialogs, session_, windows_, paths); });
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
    connect(namedAction(file, "m_New", QStringLiteral("新歌集")), &QAction::triggered, this,
            &SongListWindow::startNewCollection);
    connect(namedAction(bar, "m_定位当前歌曲", QStringLiteral("定位歌曲")), &QAction::triggered, this,
            &SongListWindow::locateCurrentSong);
    connect(namedAction(bar, "m_check", QStringLiteral("歌曲去重")), &QAction::triggered, this, [this] {
        tidyCollection(session_.current);
        refreshList();
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

    SongCollection &c = session_.current;
    // Tidying on every refresh is the list's own doing, not the user's.
    const bool changed = c.changed;
    tidyCollection(c);
    c.changed = changed;

    albumList_->addItem(c.albumName);
    for (int n = 1; n <= c.count; ++n)
        songList_->addItem(songRowText(c.entry(n)));

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
    if (row < 0 || row >= session_.current.count)
        return;
    playCurrent(services_, session_, row + 1);
}

void SongListWindow::editSelected()
{
    const int row = selectedRow();
    if (row < 0 || row >= session_.current.count)
        return;
    const int n = row + 1;
    // Both questions are asked even when the first is left empty.
    const SongEntry before = session_.current.entry(n);
    const QString name = services_.dialogs.inputBox(QStringLiteral("请输入歌曲的名称"),
                                                QStringLiteral("名称"), before.songName);
    const QString singer = services_.dialogs.inputBox(
        QStringLiteral("请输入歌手名，如果不清楚可以留空。"), QStringLiteral("歌手"), before.singer);
    // The dialogs run their own event loops; whatever ran meanwhile may have
    // shrunk the collection, so the entry is checked again before it changes.
    if (n > session_.current.count)
        return;
    if (renameEntry(session_.current, n, name, singer))
        refreshList();
}

void SongListWindow::deleteSelected()
{
    const int row = selectedRow();
    if (row < 0 || row >= session_.current.count)
        return;
    removeEntry(session_.current, row + 1);
    refreshList();
}

void SongListWindow::startNewCollection()
{
    if (wouldLoseUserChanges(session_.current)) {
        const Dialogs::Answer a = services_.dialogs.messageBox(
            QStringLiteral("当前歌集尚未保存，是否舍去当前歌集？"), QStringLiteral("未保存"),
            Dialogs::Buttons::YesNo);
        if (a != Dialogs::Answer::Yes)
            return;
    }
    songList_->clear();
    albumList_->clear();
    // The song that is playing keeps playing; only the list is new.
    session_.current = SongCollection{};
}

void SongListWindow::openCollection()
{
    const QString path = services_.dialogs.openFile(
        QStringLiteral("歌集文件|*.yyu;") % playlistFilePatterns(), QString());
    if (!path.isEmpty() && fileExists(path)) {
        if (isPlaylistFile(path))
            PlaylistFile::load(session_.current, path, services_.settings, services_.dialogs);
        else
            loadCollection(session_.current, path, services_.settings, &services_.dialogs);
    }
    refreshList();
}

void SongListWindow::saveAsPlaylist()
{
    QString path = services_.dialogs.saveFile(QStringLiteral("播放列表|*.m3u8"), session_.current.albumName);
    if (path.isEmpty())
        return;
    if (fileExtension(path) != QLatin1String(".m3u8"))
        path += QStringLiteral(".m3u8");
    PlaylistFile::save(session_.current, path, services_.dialogs);
}

void SongListWindow::saveCurrentCollection()
{
    const QString path =
        services_.dialogs.saveFile(QStringLiteral("yyu歌集文件|*.yyu"), session_.current.albumName);
    saveCollection(session_.current, path, services_.dialogs);
    if (session_.current.saved)
        session_.current.changed = false;
    refreshList();
}

void SongListWindow::locateCurrentSong()
{
    const SongCollection &c = session_.current;
    if (!c.playing)
        return;
    const int row = c.currentIndex - 1;
    if (row < 0 || row >= songList_->count())
        return;
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
