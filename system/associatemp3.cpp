// SPDX-License-Identifier: GPL-3.0-or-later
#include "system/associatemp3.h"

#include "desktop/dialogs.h"
#include "desktop/fileassociation.h"

#include <QCoreApplication>

QList<RegistryValue> mp3RegistryValues(const QString &programFolder, const QString &baseName)
{
    const QString cls = QStringLiteral("mp3音频文件");
    QString folder = programFolder;
    if (!folder.endsWith(u'\\'))
        folder += u'\\';
    const QString exe = folder + baseName + QStringLiteral(".exe");
    return {
        {QStringLiteral(".mp3"), cls},
        {cls + QStringLiteral("\\DefaultIcon"), exe + QStringLiteral(",0")},
        {cls + QStringLiteral("\\Shell"), QStringLiteral("open")},
        {cls + QStringLiteral("\\Shell\\open"), QStringLiteral("用Liravo播放")},
        {cls + QStringLiteral("\\Shell\\open\\Command"), exe + QStringLiteral(" \"%1\"")},
    };
}

QString associationMessage(bool succeeded)
{
    // A failed write is said as such; the second line is the way out either way.
    return (succeeded ? QStringLiteral("mp3文件关联成功！") : QStringLiteral("mp3文件关联失败！"))
        + QStringLiteral("\r\n如果关联不成功可以在打开方式上面再次关联！");
}

void associateMp3(FileAssociation &association, Dialogs &dialogs)
{
    const bool ok = association.associateMp3(QCoreApplication::applicationFilePath());
    dialogs.messageBox(associationMessage(ok), QStringLiteral("Liravo"), Dialogs::Buttons::Ok);
}
