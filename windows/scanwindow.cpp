// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/scanwindow.h"
#include "playback/player.h"

#include "ui/navigator.h"
#include "base/session.h"
#include "ui/colors.h"
#include "ui/windowlook.h"
#include "base/settings.h"
#include "desktop/dialogs.h"
#include "system/localscan.h"
#include "collection/tagnames.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>


ScanWindow::ScanWindow(Settings &settings, Dialogs &dialogs, Session &session, Player &player,
                       Navigator &windows,
                       QWidget *parent)
    : QWidget(parent, Qt::Window), dialogs_(dialogs), session_(session), player_(player),
      windows_(windows)
{
    setUpFixedWindow(this, QStringLiteral("frm本地歌曲扫描"), QStringLiteral("本地歌曲扫描"), 4935, 5160);

    auto *scanButton = placed(new QPushButton(QStringLiteral("开始扫描"), this),
                         QStringLiteral("Command1"), 1560, 480, 2055, 375);

    list_ = placed(new QListWidget(this), QStringLiteral("List1"), 360, 1080, 4215, 3090);
    // Under the list: which folder the list shows and whether the limit cut it.
    notice_ = placed(new QLabel(this), QStringLiteral("scanNotice"), 360, 4200, 4215, 420);
    notice_->setWordWrap(true);
    // A click toggles an item, so several files are picked without modifier keys.
    list_->setSelectionMode(QAbstractItemView::MultiSelection);

    selectAll_ = placed(new QCheckBox(QStringLiteral("全选"), this),
                        QStringLiteral("Check1"), 360, 4680, 735, 255);
    // The caption must stay readable whatever CJK font the desktop substitutes.
    selectAll_->resize(qMax(selectAll_->width(), selectAll_->sizeHint().width()),
                       qMax(selectAll_->height(), selectAll_->sizeHint().height()));

    auto *addButton = placed(new QPushButton(QStringLiteral("添加到本地列表"), this),
                        QStringLiteral("Command2"), 3000, 4680, 1575, 375);

    connect(scanButton, &QPushButton::clicked, this, [this] { startScan(); });
    // clicked() only: ticking the box from the list's rule must not select anything.
    connect(selectAll_, &QCheckBox::clicked, this, [this](bool on) { selectAllClicked(on); });
    connect(list_, &QListWidget::itemSelectionChanged, this, [this] {
        if (!fillingList_)
            selectAll_->setChecked(allSelected(int(list_->selectedItems().size()), list_->count()));
    });
    connect(addButton, &QPushButton::clicked, this, [this] { addToLocalList(); });

    applyStoredBackColor(this, settings);
}

void ScanWindow::startScan()
{
    fillingList_ = true;
    list_->clear();
    fillingList_ = false;

    // A new scan replaces the list: it shows the folder just chosen. A
    // cancelled choice keeps what was there.
    const QString folder =
        dialogs_.browseForFolder(QStringLiteral("文件夹选择"), this);
    if (!folder.isEmpty()) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const ScanResult found = scanFolder(session_.scanList, folder);
        QApplication::restoreOverrideCursor();
        notice_->setText(scanNotice(folder, found));
        nameLocalEntries(session_.scanList);
        readNames();
    }
    fillList();
}

void ScanWindow::readNames()
{
    // Files show their names at once; their tags' names replace them as
    // they arrive, read away from the window (a hundred files on a slow disk
    // take a while). A later scan makes this one's names worthless.
    const quint64 scan = ++scansStarted_;
    QStringList paths;
    for (int n = 1; n <= session_.scanList.count; ++n)
        paths << session_.scanList.entry(n).address;
    readTagNamesLater(paths, this, [this, scan](const QStringList &read, const QList<TagNames> &names) {
        if (scan != scansStarted_ || fillTagNames(session_.scanList, read, names) == 0)
            return;
        // A closed window shows nothing until the next scan fills it.
        for (int r = 0; r < list_->count() && r < session_.scanList.count; ++r)
            list_->item(r)->setText(session_.scanList.entry(r + 1).songName);
    });
}

void ScanWindow::fillList()
{
    fillingList_ = true;
    list_->clear();
    for (int n = 1; n <= session_.scanList.count; ++n)
        list_->addItem(session_.scanList.entry(n).songName);
    // Nothing is selected after a scan, so the box must not claim otherwise.
    selectAll_->setChecked(false);
    fillingList_ = false;
}

void ScanWindow::selectAllClicked(bool on)
{
    fillingList_ = true;
    if (on) {
        list_->selectAll();
        if (list_->count() > 0)
            list_->setCurrentRow(0, QItemSelectionModel::Select);
    } else {
        list_->clearSelection();
    }
    fillingList_ = false;
}

void ScanWindow::addToLocalList()
{
    QList<int> rows;
    for (int r = 0; r < list_->count(); ++r) {
        if (list_->item(r)->isSelected())
            rows << r;
    }
    // Adding to the local list that is already the collection only extends
    // it; anything else the user made is asked about first.
    if (player_.collection() != session_.localList && !player_.mayReplaceCollection())
        return;
    const int leftOut = addPicksToLocalList(session_.localList, session_.scanList, rows);
    player_.replaceCollection(session_.localList);
    if (leftOut > 0) {
        dialogs_.messageBox(
            QStringLiteral("本地列表最多只能保存%1首歌曲，有%2首没有添加。")
                .arg(SongCollection::kCapacity)
                .arg(leftOut));
    }
    windows_.showSongList();
    hide();
}

void ScanWindow::closeEvent(QCloseEvent *event)
{
    // Closing unloads the window: the next opening starts with an empty list
    // and an unticked box even though the scan list still holds its results.
    fillingList_ = true;
    list_->clear();
    selectAll_->setChecked(false);
    notice_->clear();
    fillingList_ = false;
    QWidget::closeEvent(event);
}
