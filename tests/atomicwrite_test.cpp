// SPDX-License-Identifier: GPL-3.0-or-later
// Saves through a temporary file and a rename, and the tidying of what an
// interrupted save left behind.
#include "base/atomicwrite.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <sys/stat.h>

namespace {

void makeFile(const QString &path, const QByteArray &data, int ageSeconds = 0)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(data);
    f.flush(); // a later flush would set the time anew
    f.setFileTime(QDateTime::currentDateTime().addSecs(-ageSeconds), QFileDevice::FileModificationTime);
}

QByteArray contents(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

QStringList entries(const QString &dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                               QDir::Name);
}

TEST(AtomicWrite, ReplacesTheFileKeepingItsModeAndLeavesNoTemporary)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("歌集.yyu");
    makeFile(path, "old");
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    QString error;
    ASSERT_TRUE(writeAtomically(path, QByteArray("new"), &error)) << error.toStdString();
    EXPECT_EQ(contents(path), "new");
    EXPECT_EQ(QFile::permissions(path) & 0x7077, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    EXPECT_EQ(entries(dir.path()), QStringList{"歌集.yyu"});

    // Through a link the link's file is written and the link stays.
    const QString link = dir.filePath("link.yyu");
    ASSERT_TRUE(QFile::link(path, link));
    ASSERT_TRUE(writeAtomically(link, QByteArray("linked"), &error));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(contents(path), "linked");
}

TEST(AtomicWrite, AFailedWriteLeavesTheTargetAndNoTemporary)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("list.m3u8");
    makeFile(path, "kept");
    QString error;
    EXPECT_FALSE(writeAtomically(path, [](QIODevice &out) { out.write("half"); return false; }, &error));
    EXPECT_EQ(contents(path), "kept");
    EXPECT_EQ(entries(dir.path()), QStringList{"list.m3u8"});

    // A folder that cannot be written: an error to show, nothing written.
    EXPECT_FALSE(writeAtomically(dir.filePath("missing/list.m3u8"), QByteArray("x"), &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(AtomicWrite, ASaveRemovesOnlyItsOwnOldTemporaries)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("list.m3u8");
    const struct {
        const char *name;
        int ageSeconds;
        bool removed;
    } cases[] = {
        {"list.m3u8.liravo-a1B2c3", 3600, true},
        {"list.m3u8.liravo-zzzzzz", 120, true},
        {"list.m3u8.liravo-y1B2c3", 5, false},    // perhaps a save under way
        {"list.m3u8.liravo-a1B2c", 3600, false},  // not the pattern
        {"list.m3u8.liravo-a1B2c3d", 3600, false},
        {"list.m3u8.backup", 3600, false},        // the user's
        {"list.m3u8.a1B2c3", 3600, false},
        {"other.m3u8.liravo-a1B2c3", 3600, false}, // another target's
        {"list.m3u8.liravo-a1B-c3", 3600, false},
    };
    for (const auto &c : cases)
        makeFile(dir.filePath(c.name), "x", c.ageSeconds);
    // A link and a folder with our pattern are never removed either.
    makeFile(dir.filePath("elsewhere"), "precious", 3600);
    ASSERT_TRUE(QFile::link(dir.filePath("elsewhere"), dir.filePath("list.m3u8.liravo-LINK00")));
    ASSERT_TRUE(QDir().mkdir(dir.filePath("list.m3u8.liravo-DIR000")));

    QString error;
    ASSERT_TRUE(writeAtomically(path, QByteArray("#EXTM3U\n"), &error)) << error.toStdString();
    for (const auto &c : cases)
        EXPECT_EQ(QFileInfo::exists(dir.filePath(c.name)), !c.removed) << c.name;
    EXPECT_TRUE(QFileInfo(dir.filePath("list.m3u8.liravo-LINK00")).isSymLink());
    EXPECT_EQ(contents(dir.filePath("elsewhere")), "precious");
    EXPECT_TRUE(QFileInfo(dir.filePath("list.m3u8.liravo-DIR000")).isDir());
    EXPECT_EQ(contents(path), "#EXTM3U\n");
}

} // namespace
