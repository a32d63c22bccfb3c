// SPDX-License-Identifier: GPL-3.0-or-later
#include "system/updater.h"

#include "base/atomicwrite.h"

#include "desktop/dialogs.h"
#include "net/downloader.h"
#include "desktop/processlauncher.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <sys/stat.h>
#include <unistd.h>

namespace {
const QString kQuestion = QStringLiteral("该操作将会关闭程序，是否进行？");

// Names a downloaded file may not take.
bool isReservedName(const QString &name)
{
    // The update's own machinery: the script, its download folder, its failure
    // note and the names files take while being installed. A download under
    // one of them would overwrite the script or redirect the install.
    static const QStringList names = {QStringLiteral("copyfile.bat"), QStringLiteral("temp"),
                                      QStringLiteral("copyfile.log")};
    static const QStringList suffixes = {QStringLiteral(".liravo-new"),
                                         QStringLiteral(".liravo-old"),
                                         QStringLiteral(".liravo-added")};
    for (const QString &n : names)
        if (name.compare(n, Qt::CaseInsensitive) == 0)
            return true;
    for (const QString &s : suffixes)
        if (name.endsWith(s, Qt::CaseInsensitive))
            return true;
    return false;
}
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
    // The runtime folder belongs to the user alone, so no other account can
    // plant or swap the copy between download and reading.
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    return dir + QStringLiteral("/liravo-version.ini");
}

QByteArray Updater::scriptText()
{
    // All or nothing: every downloaded file is first copied beside the one it
    // replaces and compared with the download; only then is each renamed into
    // place (a rename is atomic), the replaced file kept under another name
    // until all are in. The first command that fails stops the script; the
    // exit handler then puts every replaced file back, notes the failure for
    // the next start, and removes temp and the script (rm never follows a link
    // out of temp).
    return QByteArrayLiteral(
        "#!/bin/sh\n"
        "# Liravo update: installs the files downloaded into temp, all or nothing.\n"
        "set -eu\n"
        "cd \"$(dirname \"$0\")\"\n"
        "finished=no\n"
        "current=\n"
        "each() {\n"
        "    for p in temp/* temp/.[!.]* temp/..?*; do\n"
        "        [ -e \"$p\" ] || continue\n"
        "        current=${p#temp/}\n"
        "        \"$1\" \"$current\"\n"
        "    done\n"
        "}\n"
        "stage() { cp -p -- \"temp/$1\" \"$1.liravo-new\"; cmp -s -- \"temp/$1\" \"$1.liravo-new\"; }\n"
        "keep() {\n"
        "    if [ -e \"$1\" ]; then ln -f -- \"$1\" \"$1.liravo-old\" 2>/dev/null"
        " || cp -p -- \"$1\" \"$1.liravo-old\"\n"
        "    else : > \"$1.liravo-added\"; fi\n"
        "}\n"
        "place() { mv -f -- \"$1.liravo-new\" \"$1\"; }\n"
        "restore() {\n"
        "    if [ -e \"$1.liravo-old\" ]; then mv -f -- \"$1.liravo-old\" \"$1\"\n"
        "    elif [ -e \"$1.liravo-added\" ]; then rm -f -- \"$1\"; fi\n"
        "    rm -f -- \"$1.liravo-new\" \"$1.liravo-added\"\n"
        "}\n"
        "tidy() { rm -f -- \"$1.liravo-old\" \"$1.liravo-added\"; }\n"
        "leave() {\n"
        "    code=$?\n"
        "    set +e\n"
        "    if [ \"$finished\" != yes ]; then\n"
        "        failed=$current\n"
        "        each restore\n"
        "        printf '%s\\n' \"$failed\" > copyfile.log\n"
        "    fi\n"
        "    rm -rf temp\n"
        "    rm -f copyfile.bat\n"
        "    exit \"$code\"\n"
        "}\n"
        "trap leave EXIT\n"
        "each stage\n"
        "each keep\n"
        "each place\n"
        "finished=yes\n"
        "each tidy\n");
}

bool Updater::installedByPackage(const QStringList &paths, const QString &dpkgInfoDir)
{
    // Each installed package lists its files and folders in <name>.list, one
    // absolute path a line; a path counts only as a whole line.
    QList<QByteArray> lines;
    for (const QString &p : paths)
        if (!p.isEmpty())
            lines << "\n" + QFile::encodeName(QDir::cleanPath(p)) + "\n";
    const QDir info(dpkgInfoDir);
    for (const QString &name : info.entryList({QStringLiteral("*.list")}, QDir::Files)) {
        QFile list(info.filePath(name));
        if (!list.open(QIODevice::ReadOnly))
            continue;
        const QByteArray text = "\n" + list.readAll() + "\n";
        for (const QByteArray &line : lines)
            if (text.contains(line))
                return true;
    }
    return false;
}

QString Updater::takeFailureReport(const QString &programFolder)
{
    QFile note(programFolder + QStringLiteral("/copyfile.log"));
    if (!note.open(QIODevice::ReadOnly))
        return {};
    const QString file = QString::fromLocal8Bit(note.read(4096)).trimmed();
    note.close();
    note.remove();
    return QStringLiteral("上次更新没有完成，程序仍是原来的版本。")
        + (file.isEmpty() ? QString() : QStringLiteral("\n出错的文件：%1").arg(file));
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
    // Nothing is made before the user's yes: a temp that is there already
    // (even as a link) is replaced afterwards, a missing one made then.
    const QFileInfo folder(programFolder_);
    if (!folder.isDir() || !folder.isWritable()) {
        showError(QStringLiteral("无法写入程序文件夹“%1”，不能更新。\r\n"
                                 "请用对该文件夹有写入权限的账户运行更新。")
                      .arg(QDir::toNativeSeparators(programFolder_)));
        return false;
    }
    return true;
}

bool Updater::makeFreshDownloadFolder()
{
    // Whatever stands at temp goes: a link only as a link (its target is never
    // entered), a real folder with what it holds (links inside are removed,
    // not followed). Then the folder is made anew; mkdir fails on anything
    // that appeared meanwhile, so no existing folder is ever written into.
    const QString temp = downloadFolder();
    const QByteArray native = QFile::encodeName(temp);
    struct stat st {};
    if (::lstat(native.constData(), &st) == 0) {
        const bool removed = S_ISDIR(st.st_mode) ? QDir(temp).removeRecursively()
                                                 : ::unlink(native.constData()) == 0;
        if (!removed)
            return false;
    }
    return ::mkdir(native.constData(), 0700) == 0;
}

void Updater::removeDownloadFolder()
{
    const QString temp = downloadFolder();
    if (QFileInfo(temp).isSymLink())
        QFile::remove(temp);
    else
        QDir(temp).removeRecursively();
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
    // this update's files, so the folder starts new.
    if (!makeFreshDownloadFolder()) {
        showError(QStringLiteral("无法清空下载文件夹“%1”，程序没有更新。")
                      .arg(QDir::toNativeSeparators(temp)));
        return UpdateResult::FolderNotWritable;
    }
    for (const ManifestFile &f : manifest_.files) {
        if (hooks.downloading)
            hooks.downloading(f.label);
        const QString name = fileNameFromAddress(f.address);
        if (name.isEmpty() || isReservedName(name)) {
            skipped_ << f.address;
            continue;
        }
        const QString target = temp + u'/' + name;
        QString why;
        if (!downloader_.download(f.address, target, &why, Downloader::kDefaultMaxBytes,
                                  hooks.progress)) {
            // Installing only part of an update could leave a player that no
            // longer starts, so nothing is installed and the program stays.
            removeDownloadFolder();
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

    if (!skipped_.isEmpty()) {
        dialogs_.messageBox(QStringLiteral("以下文件不能用来更新，已跳过：\r\n%1")
                                .arg(skipped_.join(QStringLiteral("\r\n"))),
                            QStringLiteral("Liravo"), Dialogs::Buttons::Ok,
                            Dialogs::Icon::Warning);
    }

    QString why;
    if (!writeAtomically(scriptPath(), scriptText(), &why)) {
        removeDownloadFolder();
        showError(QStringLiteral("无法写入更新脚本“%1”：%2")
                      .arg(QDir::toNativeSeparators(scriptPath()), why));
        return UpdateResult::ScriptFailed;
    }
    const bool started = launcher_.startDetached(QStringLiteral("/bin/sh"), {scriptPath()},
                                                 programFolder_);
    if (!started) {
        QFile::remove(scriptPath());
        removeDownloadFolder();
        showError(QStringLiteral("无法启动更新脚本，程序没有更新。"));
        return UpdateResult::ScriptFailed;
    }
    return UpdateResult::Started;
}
