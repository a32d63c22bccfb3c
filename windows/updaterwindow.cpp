// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/updaterwindow.h"

#include "ui/navigator.h"
#include "ui/colors.h"
#include "ui/windowlook.h"
#include "base/makerhosts.h"
#include "base/settings.h"
#include "base/settingskeys.h"
#include "desktop/dialogs.h"
#include "system/updater.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

namespace {
// The box takes line feeds; the notes keep the manifest's CR LF.
QString forDisplay(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}
} // namespace

UpdaterWindow::UpdaterWindow(Settings &settings, Dialogs &dialogs, Downloader &downloader,
                             ProcessLauncher &launcher, Navigator &windows, QWidget *parent)
    : QWidget(parent, Qt::Window), settings_(settings), dialogs_(dialogs), downloader_(downloader),
      launcher_(launcher), windows_(windows)
{
    setUpFixedWindow(this, QStringLiteral("frm更新程序"), QStringLiteral("检查更新"), 4845, 3390);

    newest_ = placed(new QLabel(this), QStringLiteral("Label1"), 480, 360, 1260, 180);
    installed_ = placed(new QLabel(this), QStringLiteral("Label2"), 480, 720, 1260, 180);
    notes_ = placed(new QPlainTextEdit(this), QStringLiteral("Text1"), 480, 1080, 4095, 1455);
    updateButton_ = placed(new QPushButton(QStringLiteral("确定更新"), this),
                           QStringLiteral("cmd确定更新"), 3600, 2760, 975, 495);
    // Shown while a file downloads: a slow line may take minutes.
    progress_ = placed(new QProgressBar(this),
                       QStringLiteral("progressDownload"), 480, 2850, 2970, 300);
    resetTexts();

    connect(updateButton_, &QPushButton::clicked, this, [this] { confirmUpdate(); });
    applyStoredBackColor(this, settings_);
}

UpdaterWindow::~UpdaterWindow() = default;

void UpdaterWindow::resetTexts()
{
    newest_->setText(QStringLiteral("最新版本：v2.1"));
    installed_->setText(QStringLiteral("当前版本：v2.1"));
    notes_->setPlainText(QStringLiteral("没有更新说明\n"));
    updateButton_->setEnabled(false);
    progress_->hide();
}

void UpdaterWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!loaded_) {
        loaded_ = true;
        loadQueued_ = true;
        // Let the window paint before the fetch blocks it.
        QTimer::singleShot(0, this, [this] {
            if (loadQueued_)
                loadManifest();
        });
    }
}

void UpdaterWindow::closeEvent(QCloseEvent *event)
{
    // The services' nested event loops let a close arrive mid-download; the
    // window has to outlive that work.
    if (busy_) {
        event->ignore();
        return;
    }
    // Closing unloads the window: the next opening fetches the manifest anew.
    loaded_ = false;
    loadQueued_ = false;
    updater_.reset();
    resetTexts();
    QWidget::closeEvent(event);
}

void UpdaterWindow::loadManifest()
{
    loaded_ = true;
    loadQueued_ = false;
    if (busy_)
        return;
    const QString folder = programFolder_.isEmpty() ? QCoreApplication::applicationDirPath()
                                                    : programFolder_;
    // A packaged player is updated with the rest of the system; replacing its
    // files here would fight the package manager.
    const QString program =
        folder + u'/' + QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    if (Updater::installedByPackage({folder, program})) {
        close();
        dialogs_.messageBox(QStringLiteral("Liravo 由系统的软件包管理器安装，"
                                           "请通过软件包管理器（例如 apt）更新。"),
                            QStringLiteral("检查更新"), Dialogs::Buttons::Ok,
                            Dialogs::Icon::Information);
        return;
    }
    const QString site = makerSiteHost(settings_);
    if (site.isEmpty()) {
        // The design-time versions would read as if an update had been looked for.
        newest_->setText(QStringLiteral("最新版本：未知"));
        installed_->setText(QStringLiteral("当前版本：")
                            + settings_.value(SettingKeys::currentVersion, QString()));
        for (QLabel *l : {newest_, installed_})
            l->resize(l->size().expandedTo(l->sizeHint()));
        notes_->setPlainText(QStringLiteral("没有设置更新网站，无法检查更新。"));
        updateButton_->setEnabled(false);
        return;
    }
    busy_ = true;
    updater_ = std::make_unique<Updater>(downloader_, launcher_, dialogs_, folder,
                                         manifestCopyPath_.isEmpty() ? Updater::defaultManifestCopyPath()
                                                                     : manifestCopyPath_);
    const qint64 installed = settings_.number(SettingKeys::currentVersion);
    QCoreApplication::processEvents();
    const Updater::LoadResult result =
        updater_->load(Updater::manifestUrl(site));
    busy_ = false;
    if (result == Updater::LoadResult::NotFetched) {
        // The labels keep their design texts; the box says why.
        if (!updater_->loadError().isEmpty())
            notes_->setPlainText(QStringLiteral("没有更新说明\n无法取得更新信息：")
                                 + updater_->loadError());
        return;
    }
    if (result == Updater::LoadResult::Rejected) {
        // Only this window goes: a bad server reply is no reason to stop the music.
        dialogs_.messageBox(QStringLiteral("程序出错:") + updater_->manifest().error,
                                 QStringLiteral("Liravo"), Dialogs::Buttons::Ok,
                                 Dialogs::Icon::Critical);
        close();
        return;
    }
    const UpdateManifest &m = updater_->manifest();
    newest_->setText(QStringLiteral("最新版本：") + QString::number(m.newestVersion));
    installed_->setText(QStringLiteral("当前版本：") + QString::number(installed));
    // The design-time label size clips an eight-digit version in most fonts.
    for (QLabel *l : {newest_, installed_})
        l->resize(l->size().expandedTo(l->sizeHint()));
    notes_->setPlainText(forDisplay(m.notes));
    updateButton_->setEnabled(m.newestVersion > installed);
}

void UpdaterWindow::confirmUpdate()
{
    if (!updater_ || busy_)
        return;
    Updater::Hooks hooks;
    hooks.confirmed = [this] { updateButton_->setEnabled(false); };
    hooks.downloading = [this](const QString &label) {
        notes_->setPlainText(QStringLiteral("正在升级文件：\n") + label);
        notes_->repaint();
        progress_->setRange(0, 0);
        progress_->show();
    };
    hooks.progress = [this](qint64 received, qint64 total) {
        // Kilobytes keep the range inside int for any file the cap allows.
        if (total > 0) {
            progress_->setRange(0, int(total / 1024) + 1);
            progress_->setValue(int(qMin(received, total) / 1024));
        }
        progress_->setFormat(QStringLiteral("已下载 %1 KB").arg(received / 1024));
        progress_->setTextVisible(true);
    };
    busy_ = true;
    const Updater::UpdateResult result = updater_->update(hooks);
    busy_ = false;
    progress_->hide();
    if (result == Updater::UpdateResult::Started) {
        windows_.exitProgram();
        return;
    }
    if (result != Updater::UpdateResult::Declined) {
        // The update did not happen; leave the window as it was before.
        notes_->setPlainText(forDisplay(updater_->manifest().notes));
        updateButton_->setEnabled(true);
    }
}
