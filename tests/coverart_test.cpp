// SPDX-License-Identifier: GPL-3.0-or-later
#include "collection/coverart.h"
#include "support/envguard.h"
#include "support/testfiles.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace {

// A picture of one colour, so each case can tell which picture was taken.
QByteArray picture(int w, int h, Qt::GlobalColor colour, const char *format = "PNG")
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, format));
    return bytes;
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The colour at the middle, as a name, with JPEG's small shifts rounded away.
QString colourOf(const QImage &image)
{
    const QColor c = image.pixelColor(image.width() / 2, image.height() / 2);
    if (c.red() > 200 && c.green() < 60 && c.blue() < 60)
        return QStringLiteral("red");
    if (c.green() > 200 && c.red() < 60 && c.blue() < 60)
        return QStringLiteral("green");
    if (c.blue() > 200 && c.red() < 60 && c.green() < 60)
        return QStringLiteral("blue");
    return c.name();
}

struct File {
    const char *name;
    QByteArray bytes;
};

TEST(CoverArt, PicksTheBestPictureAndKeepsItsBytesOnce)
{
    const QByteArray redPng = picture(600, 300, Qt::red);
    const QByteArray greenJpg = picture(300, 600, Qt::green, "JPG");
    const QByteArray bluePng = picture(100, 50, Qt::blue);
    QByteArray padded = greenJpg; // JPEG readers stop at the end marker
    padded.append(QByteArray(int(kMaxCoverFileBytes), '\0'));

    const struct {
        const char *what;
        EmbeddedPicture embedded;
        std::vector<File> beside;
        const char *colour; // nullptr: no cover
        QSize size;
        const char *suffix;
    } cases[] = {
        {"the embedded picture first", {redPng, "image/png"}, {{"cover.jpg", greenJpg}},
         "red", {256, 128}, ".png"},
        {"a mime type that lies", {redPng, "image/jpeg"}, {}, "red", {256, 128}, ".png"},
        {"no mime type", {greenJpg, ""}, {}, "green", {128, 256}, ".jpg"},
        {"embedded bytes that are no picture", {"not a picture", "image/jpeg"},
         {{"front.png", bluePng}}, "blue", {100, 50}, ".png"},
        {"folder before front, any case", {}, {{"FRONT.png", bluePng}, {"Folder.JPG", greenJpg}},
         "green", {128, 256}, ".jpg"},
        {"cover before folder", {}, {{"folder.jpg", greenJpg}, {"COVER.PNG", bluePng}},
         "blue", {100, 50}, ".png"},
        {"a broken cover gives way", {}, {{"cover.jpg", "garbage"}, {"front.jpeg", greenJpg}},
         "green", {128, 256}, ".jpg"},
        {"other names are not covers", {}, {{"back.jpg", greenJpg}, {"cover.jpg.txt", greenJpg}},
         nullptr, {}, ""},
        {"nothing at all", {}, {}, nullptr, {}, ""},
        {"a format covers do not come in", {picture(8, 8, Qt::red, "BMP"), "image/bmp"},
         {{"cover.jpg", picture(8, 8, Qt::red, "BMP")}}, nullptr, {}, ""},
        {"too wide to decode", {picture(kMaxCoverPixelSide + 1, 2, Qt::red), ""}, {}, nullptr, {}, ""},
        {"the widest allowed", {picture(kMaxCoverPixelSide, 2, Qt::red), ""}, {}, "red", {256, 1}, ".png"},
        {"a file over 16 MiB", {}, {{"cover.jpg", padded}, {"front.png", bluePng}}, "blue", {100, 50}, ".png"},
        {"embedded bytes over 16 MiB", {padded, "image/jpeg"}, {}, nullptr, {}, ""},
    };
    for (const auto &c : cases) {
        QTemporaryDir dir;
        const QString song = writeTestFile(dir.filePath(QStringLiteral("music/song.mp3")));
        for (const File &f : c.beside)
            writeTestFile(dir.filePath(QStringLiteral("music/") + QLatin1String(f.name)), f.bytes);
        const QString cacheDir = dir.filePath(QStringLiteral("cache/covers"));

        const std::optional<CoverArt> art = findCoverArt(song, c.embedded, cacheDir);
        if (!c.colour) {
            EXPECT_FALSE(art.has_value()) << c.what;
            continue;
        }
        ASSERT_TRUE(art.has_value()) << c.what;
        EXPECT_EQ(colourOf(art->image), QString::fromLatin1(c.colour)) << c.what;
        EXPECT_EQ(art->image.size(), c.size) << c.what;
        EXPECT_TRUE(art->path.startsWith(cacheDir + QLatin1Char('/'))) << c.what;
        EXPECT_TRUE(art->path.endsWith(QLatin1String(c.suffix))) << c.what << " " << art->path.toStdString();
        // The cached file is the picture chosen.
        const QByteArray cached = readAll(art->path);
        EXPECT_EQ(colourOf(QImage::fromData(cached)), QString::fromLatin1(c.colour)) << c.what;
        EXPECT_EQ(QDir(cacheDir).entryList(QDir::Files | QDir::Hidden).size(), 1) << c.what;
    }
}

TEST(CoverArt, TheSameBytesAreCachedOnceUnderTheirHash)
{
    QTemporaryDir dir;
    const QString cacheDir = dir.filePath(QStringLiteral("covers"));
    const QByteArray red = picture(40, 40, Qt::red);
    const std::optional<CoverArt> first = findCoverArt({}, {red, "image/png"}, cacheDir);
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(readAll(first->path), red);

    // Present already: not written again (a changed file would stay as it is).
    writeTestFile(first->path, "kept");
    const std::optional<CoverArt> again = findCoverArt({}, {red, "image/png"}, cacheDir);
    ASSERT_TRUE(again.has_value());
    EXPECT_EQ(again->path, first->path);
    EXPECT_EQ(readAll(again->path), "kept");

    const std::optional<CoverArt> other = findCoverArt({}, {picture(40, 40, Qt::blue), ""}, cacheDir);
    ASSERT_TRUE(other.has_value());
    EXPECT_NE(other->path, first->path);
}

TEST(CoverArt, ACacheThatCannotBeWrittenStillGivesThePicture)
{
    QTemporaryDir dir;
    const QString blocker = writeTestFile(dir.filePath(QStringLiteral("cache")), "a file");
    const std::optional<CoverArt> art =
        findCoverArt({}, {picture(40, 20, Qt::red), "image/png"}, blocker + QStringLiteral("/covers"));
    ASSERT_TRUE(art.has_value());
    EXPECT_TRUE(art->path.isEmpty());
    EXPECT_EQ(art->image.size(), QSize(40, 20));
}

TEST(CoverArt, TheCacheFolderFollowsXdgCacheHome)
{
    const EnvGuard guard("XDG_CACHE_HOME");
    qputenv("XDG_CACHE_HOME", "/x/cache");
    EXPECT_EQ(coverCacheDir(), QStringLiteral("/x/cache/liravo/covers"));
}

TEST(CoverArt, WorkersLookAtOnce)
{
    QTemporaryDir dir;
    const QString song = writeTestFile(dir.filePath(QStringLiteral("music/song.mp3")));
    writeTestFile(dir.filePath(QStringLiteral("music/cover.jpg")), picture(1000, 1000, Qt::green, "JPG"));
    const QString cacheDir = dir.filePath(QStringLiteral("covers"));
    std::vector<std::optional<CoverArt>> seen(4);
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < seen.size(); ++t)
        threads.emplace_back([&, t] { seen[t] = findCoverArt(song, {}, cacheDir); });
    for (std::thread &t : threads)
        t.join();
    for (const auto &art : seen) {
        ASSERT_TRUE(art.has_value());
        EXPECT_EQ(art->path, seen.front()->path);
        EXPECT_EQ(art->image.size(), QSize(256, 256));
    }
    EXPECT_EQ(QDir(cacheDir).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

} // namespace
