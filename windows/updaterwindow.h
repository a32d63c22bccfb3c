// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QWidget>
#include <memory>

class Dialogs;
class Downloader;
class Navigator;
class ProcessLauncher;
class Settings;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class Updater;

// "检查更新": shows the newest and the installed version with the release
// notes, and runs the update when the user confirms. The manifest is fetched
// each time the window is loaded (first shown, or shown again after closing).
class UpdaterWindow : public QWidget {
    Q_OBJECT
public:
    UpdaterWindow(Settings &settings, Dialogs &dialogs, Downloader &downloader,
                  ProcessLauncher &launcher, Navigator &windows, QWidget *parent = nullptr);
    ~UpdaterWindow() override;

    // Where the program's files live; the running executable's folder unless
    // set (tests point it at a scratch installation).
    void setProgramFolder(const QString &folder) { programFolder_ = folder; }
    void setManifestCopyPath(const QString &path) { manifestCopyPath_ = path; }

    // Fetches and shows the manifest. Runs by itself once the window is shown.
    void loadManifest();
    // cmd确定更新.
    void confirmUpdate();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void resetTexts();

    Settings &settings_;
    Dialogs &dialogs_;
    Downloader &downloader_;
    ProcessLauncher &launcher_;
    Navigator &windows_;
    QLabel *newest_;
    QLabel *installed_;
    QPlainTextEdit *notes_;
    QPushButton *updateButton_;
    QProgressBar *progress_;
    QString programFolder_;
    QString manifestCopyPath_;
    std::unique_ptr<Updater> updater_;
    bool loaded_ = false;      // the manifest was fetched (or is queued) for this opening
    bool loadQueued_ = false;
    bool busy_ = false;        // a fetch or an update is under way
};
