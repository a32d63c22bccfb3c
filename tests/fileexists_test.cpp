// SPDX-License-Identifier: GPL-3.0-or-later
#include "collection/fileexists.h"
#include "support/unprivileged.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct FileExists : ::testing::Test {
    QTemporaryDir dir;
    QString song;

    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        song = touch("Song.mp3");
    }

    QString touch(const QString &name)
    {
        const QString p = dir.path() + "/" + name;
        QFile f(p);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly)) << p.toStdString();
        f.write("ID3");
        return p;
    }
};

} // namespace

TEST_F(FileExists, FullPathsOfRegularFilesSpelledExactly)
{
    EXPECT_TRUE(fileExists(song));
    EXPECT_TRUE(fileExists("\"" + song + "\""));
    EXPECT_TRUE(fileExists(touch("夜曲 (Live) [1].yyu")));
    EXPECT_TRUE(fileExists(touch("*?.mp3"))); // no wildcard meaning here
    EXPECT_TRUE(fileExists(dir.path() + "/./Song.mp3"));
}

TEST_F(FileExists, WrongSpellingOrNotAFullPath)
{
    EXPECT_FALSE(fileExists(dir.path() + "/song.mp3"));
    EXPECT_FALSE(fileExists(dir.path() + "/SONG.MP3"));
    EXPECT_FALSE(fileExists(dir.path() + "/Song.mp"));
    EXPECT_FALSE(fileExists(dir.path() + "/*.mp3"));
    EXPECT_FALSE(fileExists(dir.path() + "/missing.mp3"));

    // Relative names are never accepted, even where the file is.
    const QString cwd = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    EXPECT_FALSE(fileExists("Song.mp3"));
    EXPECT_FALSE(fileExists("./Song.mp3"));
    QDir::setCurrent(cwd);

    // Only the last character decides about quotes.
    EXPECT_FALSE(fileExists("\"" + song));
    EXPECT_FALSE(fileExists(song + "\""));
    for (const char *odd : {"", "\"", "\"\"", "/", "//", "/\"", "\"/\""})
        EXPECT_FALSE(fileExists(QString::fromUtf8(odd))) << odd;
    EXPECT_FALSE(fileExists(song + QChar(0) + "x"));
    EXPECT_FALSE(fileExists(QString(5000, 'a').prepend('/')));
}

TEST_F(FileExists, FoldersHiddenAndSpecialFilesAreNotFiles)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.mp3"));
    EXPECT_FALSE(fileExists(dir.path() + "/folder.mp3"));
    EXPECT_FALSE(fileExists(dir.path()));
    EXPECT_FALSE(fileExists(dir.path() + "/"));
    EXPECT_FALSE(fileExists(song + "/"));
    EXPECT_FALSE(fileExists(touch(".hidden.mp3")));

    const QString fifo = dir.path() + "/pipe.mp3";
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_FALSE(fileExists(fifo));
    EXPECT_FALSE(fileExists("/dev/null"));
}

TEST_F(FileExists, LinksCountByWhatTheyPointAt)
{
    const QString link = dir.path() + "/Link.mp3";
    ASSERT_TRUE(QFile::link(song, link));
    EXPECT_TRUE(fileExists(link));
    const QString dangling = dir.path() + "/Gone.mp3";
    ASSERT_TRUE(QFile::link(dir.path() + "/nothing", dangling));
    EXPECT_FALSE(fileExists(dangling));
}

TEST_F(FileExists, UnreadableFolderIsPlainFalse)
{
    runUnprivileged([] {
        QTemporaryDir own;
        ASSERT_TRUE(QDir(own.path()).mkdir("locked"));
        const QString inside = own.path() + "/locked/a.mp3";
        QFile f(inside);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.close();
        // Searchable but not listable: the spelling cannot be confirmed.
        QFile::setPermissions(own.path() + "/locked", QFile::ExeOwner);
        EXPECT_FALSE(fileExists(inside));
        QFile::setPermissions(own.path() + "/locked",
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    });
}
