// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QWidget>

class Navigator;
struct Services;
struct Session;
class Player;
class QLineEdit;
class QPushButton;
class QListWidget;
class QMenu;
class QAction;
class QLabel;

// "搜索网络歌曲": the user types a singer or a song name, the results are
// listed as "singer-name" lines, a double click adds a line's song to the
// current collection and plays it, and a pop-up adds the selected lines,
// saves every result as a collection file, or selects all. The results and
// the last search words live in the session, so a window closed and
// opened again shows the same list.
class SearchWindow : public QWidget {
    Q_OBJECT
public:
    SearchWindow(Services &services, Session &session, Player &player, Navigator &windows,
                 QWidget *parent = nullptr);

    static QString hintText();

    // Refills the list from the session's search results, tidying them first.
    void refreshResults();
    // What "搜索" and Enter do. While the search runs, the window shows it is
    // busy and takes nothing but Esc, its close box and "取消".
    void search();
    // Ends a running search; the songs found so far are listed.
    void cancelSearch();
    bool searching() const { return searching_; }
    // What a double click on the current line does.
    void addAndPlayCurrentLine();
    void addSelectedLines();       // "添加到歌集"
    void saveResultsAsCollection(); // "创建新歌集"

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void onListMousePressed(Qt::MouseButton button, const QPoint &globalPos);
    bool hasSelection() const;
    void tellCollectionFull();
    void setBusy(bool busy);

    Services &services_;
    Session &session_;
    Player &player_;
    Navigator &windows_;
    QLineEdit *queryEdit_;
    QPushButton *searchButton_;
    QPushButton *cancel_;
    QLabel *status_;
    QListWidget *resultList_;
    QMenu *resultMenu_;
    QAction *addSong_;
    QAction *newCollection_;
    bool searching_ = false;
    bool canceled_ = false;
};
