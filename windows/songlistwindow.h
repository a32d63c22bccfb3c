// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "collection/pinyin.h"
#include <QMainWindow>

class Navigator;
struct Services;
class Player;
class QAction;
class QListWidget;
class QMenu;

// "frm歌曲列表": shows the current song collection and is where the user opens,
// saves, starts anew, edits and tidies it. Creating the window loads it
// (caption, colour, lists, place beside the main window) without showing it;
// from then on it follows the player's collection.
class SongListWindow : public QMainWindow {
    Q_OBJECT
public:
    SongListWindow(Services &services, Player &player, Navigator &windows, QWidget *parent = nullptr);

    // Shows the current collection after tidying it; the selection is lost.
    // The player's collectionChanged calls it.
    void refreshList();

    // The commands behind the lists and menus.
    void playSelected();        // double click on List1
    void editSelected();        // "编辑该条"
    void deleteSelected();      // "删除该条", Delete
    void addSongs();            // "添加歌曲…": songs and playlists, several at once
    void startNewCollection();  // "新歌集"
    void openCollection();      // "打开歌集"
    void saveCurrentCollection(); // "保存歌集"
    void saveAsPlaylist();        // "另存为播放列表": .m3u8 for other players
    void locateCurrentSong();   // "定位歌曲"

    // Row of List1 that is selected, or -1.
    int selectedRow() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildMenus();
    void load();
    void placeBesideMainWindow();
    void followFrame();

    Services &services_;
    Player &player_;
    Navigator &windows_;
    QListWidget *songList_ = nullptr;
    QListWidget *albumList_ = nullptr;

    QMenu *popup_ = nullptr;
    QAction *save_ = nullptr;
    QAction *savePlaylist_ = nullptr;
    // Closing the window counts as unloading it: the next show or
    // refreshList loads it afresh, whoever keeps the object alive.
    bool loaded_ = false;
    bool framePending_ = false; // placed at load, before any frame was known
    // "定位歌曲": what was asked for last, and the readings of names seen.
    QString lastQuery_;
    EntryFinder finder_;
};
