#include "system/updater.h"

#include "platform/dialogs.h"
#include "platform/downloader.h"
#include "platform/processlauncher.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace {
const QString kQuestion = QStringLiteral("该操作将会关闭程序，是否进行？");
} // namespace

Updater::Updater(Downloader &downloader, ProcessLauncher &launcher, Dialogs &dialogs,
                 QString programFolder, QString manifestCopyPath)
    : downloader_(downloader), launcher_(launcher), dialogs_(dialogs),
      programFolder_(std::move(programFolder)), manifestCopyPath_(std::move(manifestCopyPath))
{
}

QString Updater::manifestUrl(const QString &host)
{
    return QStringLiteral("http://") + host + QStringLiteral("/player/version.ini");
}

QString Updater::defaultManifestCopyPath()
{
#ifdef Q_OS_WIN
    return QStringLiteral("d:/version.ini");
#else
    // The runtime folder belongs to the user alone, so no other account can
    // plant or swap the copy between download and reading.
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    return dir + QStringLiteral("/liravo-version.ini");
#endif
}

QByteArray Updater::scriptText()
{
#ifdef Q_OS_WIN
    return QByteArrayLiteral("xcopy /e /h /r /q %cd%\\temp\\*.* %cd% /y &del copyfile.bat & "
                             "rd /s /Q %cd%\\temp\r\n");
#else
    // What the Windows batch line does: copy everything in temp (hidden files
    // and subfolders too) over the program folder, replacing read-only or busy
    // files (-f unlinks what it cannot open), then remove itself and temp.
    return QByteArrayLiteral(
        "#!/bin/sh\n"
        "# Liravo update: installs the files downloaded into temp, then tidies up.\n"
        "cd \"$(dirname \"$0\")\" || exit 1\n"
        "cp -R -f temp/. . ; rm -f copyfile.bat ; rm -rf temp\n");
#endif
}

QString Updater::downloadFolder() const
{
    return programFolder_ + QStringLiteral("/temp");
}

QString Updater::scriptPath() const
{
    return programFolder_ + QStringLiteral("/copyfile.bat");
}

Updater::LoadResult Updater::load(const QString &manifestUrl)
{
    manifest_ = UpdateManifest{};
    // A copy left by an earlier run must not pass for a fresh download.
    QFile::remove(manifestCopyPath_);
    QDir().mkpath(QFileInfo(manifestCopyPath_).absolutePath());
    loadError_.clear();
    downloader_.download(manifestUrl, manifestCopyPath_, &loadError_, kManifestMaxBytes);
    QFile copy(manifestCopyPath_);
    if (!QFileInfo(manifestCopyPath_).isFile() || !copy.open(QIODevice::ReadOnly)) {
        if (loadError_.isEmpty())
            loadError_ = copy.errorString();
        return LoadResult::NotFetched;
    }
    loadError_.clear();
    const QByteArray bytes = copy.readAll();
    copy.close();
    copy.remove();
    manifest_ = parseManifest(bytes);
    return manifest_.accepted ? LoadResult::Ready : LoadResult::Rejected;
}

void Updater::showError(const QString &text)
{
    dialogs_.messageBox(text, QStringLiteral("Liravo"), Dialogs::Buttons::Ok,
                        Dialogs::Icon::Critical);
}

bool Updater::prepareDownloadFolder()
{
    const QFileInfo folder(programFolder_);
    const QString temp = downloadFolder();
    if (!folder.isDir() || !folder.isWritable() || !QDir().mkpath(temp)
        || !QFileInfo(temp).isWritable()) {
        showError(QStringLiteral("无法写入程序文件夹“%1”，不能更新。\r\n"
                                 "请用对该文件夹有写入权限的账户运行更新。")
                      .arg(QDir::toNativeSeparators(programFolder_)));
        return false;
    }
    return true;
}

Updater::UpdateResult Updater::update(const Hooks &hooks)
{
    skipped_.clear();
    if (!prepareDownloadFolder())
        return UpdateResult::FolderNotWritable;
    if (dialogs_.messageBox(kQuestion, QStringLiteral("Liravo"), Dialogs::Buttons::YesNo,
                            Dialogs::Icon::Question)
        != Dialogs::Answer::Yes)
        return UpdateResult::Declined;
    if (hooks.confirmed)
        hooks.confirmed();

    const QString temp = downloadFolder();
    // Leftovers of an interrupted earlier attempt would be installed with
    // this update's files, so the folder starts empty.
    if (!QDir(temp).removeRecursively() || !QDir().mkpath(temp)) {
        showError(QStringLiteral("无法清空下载文件夹“%1”，程序没有更新。")
                      .arg(QDir::toNativeSeparators(temp)));
        return UpdateResult::FolderNotWritable;
    }
    for (const ManifestFile &f : manifest_.files) {
        if (hooks.downloading)
            hooks.downloading(f.label);
        const QString name = fileNameFromAddress(f.address);
        if (name.isEmpty()) {
            skipped_ << f.address;
            continue;
        }
        const QString target = temp + u'/' + name;
        QString why;
        if (!downloader_.download(f.address, target, &why, Downloader::kDefaultMaxBytes,
                                  hooks.progress)) {
            // Installing only part of an update could leave a player that no
            // longer starts, so nothing is installed and the program stays.
            QDir(temp).removeRecursively();
            showError(QStringLiteral("下载更新文件失败，程序没有更新：\r\n%1\r\n%2")
                          .arg(f.label, why));
            return UpdateResult::DownloadFailed;
        }
        // A replaced executable must stay executable: the script's copy
        // creates a fresh file when the old one is busy.
        const QString installed = programFolder_ + u'/' + name;
        if (QFileInfo(installed).isFile())
            QFile::setPermissions(target, QFile::permissions(installed));
    }

    QSaveFile script(scriptPath());
    if (!script.open(QIODevice::WriteOnly) || script.write(scriptText()) < 0
        || !script.commit()) {
        showError(QStringLiteral("无法写入更新脚本“%1”：%2")
                      .arg(QDir::toNativeSeparators(scriptPath()), script.errorString()));
        return UpdateResult::ScriptFailed;
    }
#ifdef Q_OS_WIN
    const bool started = launcher_.startDetached(QStringLiteral("cmd.exe"),
                                                 {QStringLiteral("/c"), scriptPath()},
                                                 programFolder_);
#else
    const bool started = launcher_.startDetached(QStringLiteral("/bin/sh"), {scriptPath()},
                                                 programFolder_);
#endif
    if (!started) {
        QFile::remove(scriptPath());
        showError(QStringLiteral("无法启动更新脚本，程序没有更新。"));
        return UpdateResult::ScriptFailed;
    }
    return UpdateResult::Started;
}
