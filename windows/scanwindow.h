// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QWidget>

class Dialogs;
class Navigator;
class Settings;
struct Session;
class Player;
class QCheckBox;
class QLabel;
class QListWidget;

// "本地歌曲扫描": scans a folder for audio files and makes the picked ones the
// current song collection. The scan and local lists live in the session,
// so closing and reopening the window keeps them. Songs are listed by their
// file names at once; their tags' names replace them as a pool thread reads
// them, so the window never waits for the disk.
class ScanWindow : public QWidget {
    Q_OBJECT
public:
    ScanWindow(Settings &settings, Dialogs &dialogs, Session &session, Player &player, Navigator &windows,
               QWidget *parent = nullptr);

    // The control handlers, public so the hub and tests can drive them.
    void startScan();                // Command1
    void selectAllClicked(bool on);  // Check1
    void addToLocalList();           // Command2

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void fillList();
    void readNames();

    Dialogs &dialogs_;
    Session &session_;
    Player &player_;
    Navigator &windows_;
    QListWidget *list_;
    QCheckBox *selectAll_;
    QLabel *notice_;
    bool fillingList_ = false;
    quint64 scansStarted_ = 0;
};
