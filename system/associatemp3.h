// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QList>
#include <QString>

class Dialogs;
class FileAssociation;

// One default value under HKEY_CLASSES_ROOT.
struct RegistryValue {
    QString key;
    QString value;
    bool operator==(const RegistryValue &) const = default;
};

// The five values a Windows build writes, in order, to open .mp3 files with
// the player: programFolder without a trailing "\" (unless a drive root),
// baseName without ".exe".
QList<RegistryValue> mp3RegistryValues(const QString &programFolder, const QString &baseName);

// The "关联mp3文件" command: registers the running executable, then tells
// the user how it went.
void associateMp3(FileAssociation &association, Dialogs &dialogs);

// The message shown afterwards.
QString associationMessage(bool succeeded);
