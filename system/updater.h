// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "system/updatemanifest.h"

#include <QString>
#include <QStringList>
#include <functional>

class Dialogs;
class Downloader;
class ProcessLauncher;

// The update steps, without a window: fetch and read the manifest, then
// download the listed files into "temp" beside the program, write the
// replacement script "copyfile.bat" and start it. The caller ends the
// program once update() reports Started.
class Updater {
public:
    enum class LoadResult { NotFetched, Rejected, Ready };
    enum class UpdateResult { Declined, FolderNotWritable, DownloadFailed, ScriptFailed, Started };

    // Progress reports for the window.
    struct Hooks {
        std::function<void()> confirmed;                      // the user said yes
        std::function<void(const QString &label)> downloading; // before each file
        std::function<void(qint64 received, qint64 total)> progress; // during each file
    };

    // A manifest is a few lines of text; anything near this is not one.
    static constexpr qint64 kManifestMaxBytes = 256 * 1024;

    Updater(Downloader &downloader, ProcessLauncher &launcher, Dialogs &dialogs,
            QString programFolder, QString manifestCopyPath = defaultManifestCopyPath());

    // Downloads the manifest into its local copy, reads it and deletes the copy.
    LoadResult load(const QString &manifestUrl);
    const UpdateManifest &manifest() const { return manifest_; }
    // Why the manifest was not fetched ("" when it was).
    const QString &loadError() const { return loadError_; }

    // Runs the update after asking "该操作将会关闭程序，是否进行？". Every
    // failure is shown to the user before this returns.
    UpdateResult update(const Hooks &hooks = {});

    QString downloadFolder() const;
    QString scriptPath() const;
    // Names skipped because their address did not end in a plain file name,
    // or named the update's own machinery; the user is shown them.
    const QStringList &skipped() const { return skipped_; }

    // "http://" + host + "/player/version.ini".
    static QString manifestUrl(const QString &host);
    // A per-user place for the manifest's local copy.
    static QString defaultManifestCopyPath();
    // The text of "copyfile.bat" for the platform the player was built for.
    static QByteArray scriptText();
    // Whether the package manager installed the program: one of paths (the
    // program's folder or its file) is listed by an installed package in
    // dpkg's database. Read only when the user asks for an update.
    static bool installedByPackage(const QStringList &paths,
                                   const QString &dpkgInfoDir = QStringLiteral("/var/lib/dpkg/info"));
    // What the script noted when an install failed and was undone, as a text
    // for the user; empty when there is none. The note is removed.
    static QString takeFailureReport(const QString &programFolder);

private:
    bool prepareDownloadFolder();
    bool makeFreshDownloadFolder();
    void removeDownloadFolder();
    void showError(const QString &text);

    Downloader &downloader_;
    ProcessLauncher &launcher_;
    Dialogs &dialogs_;
    QString programFolder_;
    QString manifestCopyPath_;
    UpdateManifest manifest_;
    QString loadError_;
    QStringList skipped_;
};
