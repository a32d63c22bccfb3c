// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/storefailure.h"

#include <QDir>

#include <sqlite3.h>

QString storeFailureText(int sqliteCode, const QString &path)
{
    const QString file = QDir::toNativeSeparators(path);
    // Extended codes (SQLITE_IOERR_WRITE, SQLITE_READONLY_DIRECTORY, ...)
    // carry their family in the low byte.
    switch (sqliteCode & 0xff) {
    case SQLITE_READONLY:
        return QStringLiteral("设置文件“%1”是只读的（文件或所在文件夹不允许写入）。").arg(file);
    case SQLITE_PERM:
        return QStringLiteral("没有写入设置文件“%1”的权限。").arg(file);
    case SQLITE_FULL:
        return QStringLiteral("磁盘已满，设置文件“%1”写不下了。").arg(file);
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return QStringLiteral("设置文件“%1”正被另一个程序锁定。").arg(file);
    case SQLITE_CANTOPEN:
        return QStringLiteral("无法打开设置文件“%1”（文件夹不存在或无法访问）。").arg(file);
    case SQLITE_IOERR:
        return QStringLiteral("读写设置文件“%1”时磁盘出错。").arg(file);
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return QStringLiteral("设置文件“%1”已损坏。").arg(file);
    default:
        return QStringLiteral("设置文件“%1”无法写入（SQLite 错误 %2）。").arg(file).arg(sqliteCode);
    }
}
