// SPDX-License-Identifier: GPL-3.0-or-later
// The player's own cache and state folders: never followed through a link,
// never another user's.
#include "base/ownfolder.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void makeFile(const QString &path, const QByteArray &data = "mine")
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(data);
}

TEST(OwnFolder, IsMadeOrRefusedButNeverFollowed)
{
    const struct {
        const char *what;
        // Prepares base (the desktop's folder) and elsewhere (what a link points to).
        std::function<void(const QString &base, const QString &elsewhere)> prepare;
        bool ok;
    } cases[] = {
        {"absent", [](const QString &, const QString &) {}, true},
        {"present", [](const QString &b, const QString &) { QDir().mkpath(b + "/liravo/gstreamer-1.0"); },
         true},
        {"link at the first level",
         [](const QString &b, const QString &e) { QFile::link(e, b + "/liravo"); }, true},
        {"link at the second level",
         [](const QString &b, const QString &e) {
             QDir().mkpath(b + "/liravo");
             QFile::link(e, b + "/liravo/gstreamer-1.0");
         },
         true},
        {"dangling link", [](const QString &b, const QString &e) { QFile::link(e + "/gone", b + "/liravo"); },
         true},
        {"file in the way", [](const QString &b, const QString &) { makeFile(b + "/liravo"); }, false},
        {"file at the second level",
         [](const QString &b, const QString &) {
             QDir().mkpath(b + "/liravo");
             makeFile(b + "/liravo/gstreamer-1.0");
         },
         false},
    };
    for (const auto &c : cases) {
        QTemporaryDir dir;
        const QString base = dir.filePath("cache");
        const QString elsewhere = dir.filePath("elsewhere");
        QDir().mkpath(base);
        QDir().mkpath(elsewhere);
        makeFile(elsewhere + "/keep");
        c.prepare(base, elsewhere);

        QString why;
        const QString made = ensureOwnFolder(base, "liravo/gstreamer-1.0", &why);
        SCOPED_TRACE(c.what);
        EXPECT_EQ(!made.isEmpty(), c.ok) << why.toStdString();
        if (c.ok) {
            EXPECT_EQ(made, base + "/liravo/gstreamer-1.0");
            for (const QString &level : QStringList{base + "/liravo", made}) {
                const QFileInfo info(level);
                EXPECT_TRUE(info.isDir() && !info.isSymLink()) << level.toStdString();
            }
        } else {
            EXPECT_FALSE(why.isEmpty());
            EXPECT_TRUE(QFileInfo(base + "/liravo").isFile() || QFileInfo(base + "/liravo/gstreamer-1.0").isFile());
        }
        // What a link pointed to is never touched.
        EXPECT_EQ(QDir(elsewhere).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden),
                  QStringList{"keep"});
    }
}

TEST(OwnFolder, RefusesAnotherUsersFolderAndNamesThatLeaveTheBase)
{
    QString why;
    if (::geteuid() == 0) {
        QTemporaryDir dir;
        QDir().mkpath(dir.filePath("liravo"));
        ASSERT_EQ(::chown(QFile::encodeName(dir.filePath("liravo")).constData(), 65534, 65534), 0);
        EXPECT_TRUE(ensureOwnFolder(dir.path(), "liravo/state", &why).isEmpty());
        EXPECT_FALSE(QFileInfo::exists(dir.filePath("liravo/state")));
    } else {
        // Root's folder, as seen by anybody else.
        EXPECT_TRUE(ensureOwnFolder("/", "usr", &why).isEmpty());
    }
    EXPECT_TRUE(why.contains("another user")) << why.toStdString();

    QTemporaryDir dir;
    EXPECT_TRUE(ensureOwnFolder(dir.path(), "liravo/../../x", &why).isEmpty());
    EXPECT_TRUE(ensureOwnFolder("relative/path", "liravo", &why).isEmpty());
}

} // namespace
