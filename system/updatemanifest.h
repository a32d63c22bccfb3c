// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QByteArray>
#include <QList>
#include <QString>

// One file line of the manifest: label "：" address.
struct ManifestFile {
    QString label;
    QString address;
    int line = 0; // 1-based line number in the manifest
};

// The update manifest as the updater reads it. Sections are switched by the
// marker lines "更新的内容：" and "更新的文件："; the title line
// "Liravo程序更新说明" switches to a state where no plain line may follow.
struct UpdateManifest {
    bool accepted = false;
    qint32 newestVersion = 0;   // 0 when the manifest names no version
    QString notes;              // the notes lines joined by CR LF
    QList<ManifestFile> files;  // in manifest order; blank file lines are dropped
    int errorLine = 0;          // the offending line of a rejected manifest
    QString error;              // what is wrong with it, naming that line
};

// Bytes as served: UTF-8 (a byte order mark is dropped) when they are valid
// UTF-8, else the GB18030 superset of code page 936 the maker's files use.
QString decodeManifest(const QByteArray &bytes);

// Lines end at CR LF, at a lone CR, or at a lone LF (files edited on Linux).
// A line ending at the very end does not start an empty last line.
QStringList manifestLines(const QString &text);

UpdateManifest parseManifest(const QString &text);
inline UpdateManifest parseManifest(const QByteArray &bytes)
{
    return parseManifest(decodeManifest(bytes));
}

// The name a downloaded file is stored under: the part of the address after
// its last "/". Empty when that is not a plain file name (empty, ".", "..",
// holding a "\" or a control character), so the file is skipped rather than
// written outside the download folder.
QString fileNameFromAddress(const QString &address);
