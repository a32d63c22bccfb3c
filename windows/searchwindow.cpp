// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/searchwindow.h"
#include "playback/player.h"

#include "collection/yyufile.h"
#include "ui/navigator.h"
#include "base/session.h"
#include "base/services.h"
#include "ui/colors.h"
#include "ui/inputgate.h"
#include "ui/windowlook.h"
#include "online/resultlines.h"
#include "online/songsearch.h"
#include "desktop/dialogs.h"
#include "net/httpclient.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QShowEvent>


QString SearchWindow::hintText()
{
    return QStringLiteral("请输入歌手名或者歌曲名称");
}

SearchWindow::SearchWindow(Services &services, Session &session, Player &player, Navigator &windows,
                           QWidget *parent)
    : QWidget(parent, Qt::Window), services_(services), session_(session), player_(player),
      windows_(windows)
{
    setUpFixedWindow(this, QStringLiteral("frm音乐搜索"), QStringLiteral("搜索网络歌曲"), 5985, 4305);

    queryEdit_ = placed(new QLineEdit(hintText(), this),
                        QStringLiteral("Text1"), 240, 480, 4455, 390);
    queryEdit_->installEventFilter(this);

    searchButton_ = placed(new QPushButton(QStringLiteral("搜索"), this),
                           QStringLiteral("Command1"), 4800, 480, 855, 375);

    // Takes the search button's place while a search runs.
    cancel_ = placed(new QPushButton(QStringLiteral("取消"), this),
                     QStringLiteral("cmd取消"), 4800, 480, 855, 375);
    cancel_->hide();
    status_ = placed(new QLabel(this), QStringLiteral("lblStatus"), 240, 120, 5535, 300);

    resultList_ = placed(new QListWidget(this), QStringLiteral("List1"), 240, 1080, 5535, 2940);
    resultList_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    resultList_->viewport()->installEventFilter(this);

    setTabOrder(queryEdit_, searchButton_);
    setTabOrder(searchButton_, resultList_);

    resultMenu_ = new QMenu(QStringLiteral("右键"), this);
    resultMenu_->setObjectName(QStringLiteral("m_R"));
    addSong_ = namedAction(resultMenu_, "m_addsong", QStringLiteral("添加到歌集"));
    newCollection_ = namedAction(resultMenu_, "m_New", QStringLiteral("创建新歌集"));
    namedSeparator(resultMenu_, "右键_分割线");

    connect(searchButton_, &QPushButton::clicked, this, &SearchWindow::search);
    connect(queryEdit_, &QLineEdit::returnPressed, this, &SearchWindow::search);
    connect(cancel_, &QPushButton::clicked, this, &SearchWindow::cancelSearch);
    connect(resultList_, &QListWidget::itemDoubleClicked, this, &SearchWindow::addAndPlayCurrentLine);
    connect(addSong_, &QAction::triggered, this, &SearchWindow::addSelectedLines);
    connect(newCollection_, &QAction::triggered, this, &SearchWindow::saveResultsAsCollection);
    connect(namedAction(resultMenu_, "m_全选", QStringLiteral("全选")), &QAction::triggered,
            resultList_, &QListWidget::selectAll);

    refreshResults();
    if (QWidget *main = windows_.existingMainWindow())
        move(main->pos());
    applyStoredBackColor(this, services_.settings);
}

void SearchWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // Shown by the program (not restored from the task bar): the box takes
    // the focus and its hint goes, ready for typing.
    if (!event->spontaneous()) {
        queryEdit_->setFocus(Qt::OtherFocusReason);
        queryEdit_->clear();
    }
}

bool SearchWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == queryEdit_) {
        // Switching to another program or closing a menu is not the user
        // entering or leaving the box; only real focus moves count.
        if (event->type() == QEvent::FocusIn) {
            const auto reason = static_cast<QFocusEvent *>(event)->reason();
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
                queryEdit_->clear();
        } else if (event->type() == QEvent::FocusOut) {
            const auto reason = static_cast<QFocusEvent *>(event)->reason();
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason
                && queryEdit_->text().isEmpty())
                queryEdit_->setText(hintText());
        }
    } else if (watched == resultList_->viewport() && event->type() == QEvent::MouseButtonPress) {
        const auto *me = static_cast<QMouseEvent *>(event);
        const Qt::MouseButton button = me->button();
        const QPoint globalPos = me->globalPosition().toPoint();
        // The pop-up acts on the selected lines, so the right button must not
        // replace a selection with the line under the mouse.
        if (button == Qt::RightButton) {
            onListMousePressed(button, globalPos);
            return true;
        }
        // Run after the list has moved its selection for this press.
        QMetaObject::invokeMethod(
            this, [this, button, globalPos] { onListMousePressed(button, globalPos); },
            Qt::QueuedConnection);
    }
    return QWidget::eventFilter(watched, event);
}

void SearchWindow::onListMousePressed(Qt::MouseButton button, const QPoint &globalPos)
{
    const bool selected = hasSelection();
    addSong_->setEnabled(selected);
    newCollection_->setEnabled(selected);
    if (button == Qt::RightButton && resultList_->count() > 0)
        resultMenu_->popup(globalPos);
}

bool SearchWindow::hasSelection() const
{
    return resultList_->count() > 0 && !resultList_->selectedItems().isEmpty();
}

void SearchWindow::refreshResults()
{
    resultList_->clear();
    if (session_.searchResults.count == 0)
        return;
    tidyCollection(session_.searchResults);
    resultList_->addItems(resultLines(session_.searchResults));
}

void SearchWindow::search()
{
    if (searching_)
        return;
    session_.searchText = queryEdit_->text();
    if (session_.searchText == hintText())
        return;
    searching_ = true;
    canceled_ = false;
    setBusy(true);
    SearchOutcome outcome;
    {
        // The wait lets input through so "取消" and Esc work; the gate keeps
        // everything else out.
        InputGate gate(this, cancel_, [this] { cancelSearch(); });
        services_.http.setInterruptible(true);
        SearchOptions options;
        options.canceled = [this] { return canceled_; };
        options.pageStarted = [this](int page, int songs) {
            status_->setText(QStringLiteral("正在搜索第 %1 页，已找到 %2 首……（Esc 取消）")
                                 .arg(page)
                                 .arg(songs));
        };
        outcome = searchSongs(services_, session_.searchText, false, options);
        services_.http.setInterruptible(false);
    }
    setBusy(false);
    if (outcome.error == HttpClient::Error::Canceled)
        status_->setText(QStringLiteral("搜索已取消，列出已经找到的 %1 首歌曲。")
                             .arg(outcome.songs.count));
    session_.searchResults = outcome.songs;
    refreshResults();
    searching_ = false;
}

void SearchWindow::cancelSearch()
{
    if (!searching_)
        return;
    canceled_ = true;
    services_.http.cancel();
}

void SearchWindow::setBusy(bool busy)
{
    searchButton_->setVisible(!busy);
    // Focus leaving a hidden "取消" must not land in the text box, which
    // empties itself on focus.
    if (!busy && cancel_->hasFocus())
        searchButton_->setFocus(Qt::OtherFocusReason);
    cancel_->setVisible(busy);
    status_->clear();
    if (busy)
        QGuiApplication::setOverrideCursor(Qt::BusyCursor);
    else
        QGuiApplication::restoreOverrideCursor();
}

void SearchWindow::closeEvent(QCloseEvent *event)
{
    // The search runs inside this window's handler; the window stays until
    // it has ended.
    if (searching_) {
        cancelSearch();
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

void SearchWindow::tellCollectionFull()
{
    services_.dialogs.messageBox(
        QStringLiteral("当前歌集已满（最多 %1 首歌），没有能添加的位置了。")
            .arg(SongCollection::kCapacity),
        QStringLiteral("Liravo"), Dialogs::Buttons::Ok, Dialogs::Icon::Information);
}

void SearchWindow::addAndPlayCurrentLine()
{
    QListWidgetItem *item = resultList_->currentItem();
    if (!item || !hasSelection())
        return;
    int added = 0;
    player_.editCollection([&](SongCollection &c) { added = addResultLines(c, {item->text()}); });
    if (added == 0) {
        // Playing the last entry would play some other song.
        tellCollectionFull();
        return;
    }
    player_.play(player_.collection().count);
}

void SearchWindow::addSelectedLines()
{
    if (!hasSelection())
        return;
    QStringList lines;
    for (int row = 0; row < resultList_->count(); ++row) {
        if (resultList_->item(row)->isSelected())
            lines << resultList_->item(row)->text();
    }
    int added = 0;
    player_.editCollection([&](SongCollection &c) { added = addResultLines(c, lines); });
    if (added < lines.size())
        tellCollectionFull();
}

void SearchWindow::saveResultsAsCollection()
{
    if (!hasSelection())
        return;
    Dialogs &dialogs = services_.dialogs;
    const QString name = dialogs.inputBox(QStringLiteral("请为你这张专辑起一个好听的名字吧！"),
                                          QStringLiteral("专辑名称"), session_.searchText);
    session_.searchResults.albumName = name;
    if (name.isEmpty() || name == hintText())
        return;
    const QString path = dialogs.saveFile(QStringLiteral("歌集(*.yyu)|*.yyu"), name);
    if (path.isEmpty() || path == name)
        return;
    session_.searchResults.filePath = path;
    saveCollection(session_.searchResults, path, dialogs);
}
