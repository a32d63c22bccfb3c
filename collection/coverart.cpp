// SPDX-License-Identifier: GPL-3.0-or-later
#include "collection/coverart.h"

#include "base/atomicwrite.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QLoggingCategory>
#include <QStandardPaths>

namespace {

Q_LOGGING_CATEGORY(lcCover, "liravo.cover")

// The names looked for beside a song, best first.
const char *const kSideNames[] = {"cover.jpg", "cover.jpeg", "cover.png",  "folder.jpg", "folder.jpeg",
                                  "folder.png", "front.jpg", "front.jpeg", "front.png"};

struct Decoded {
    QImage image;
    QString suffix;
};

// The suffix a cached picture gets. Covers are JPEG or PNG; other formats
// are refused, as some of Qt's readers tell a size before reading that the
// picture then exceeds (a GIF's frame against its screen).
QString suffixFor(const QByteArray &format)
{
    if (format == "jpeg" || format == "jpg")
        return QStringLiteral("jpg");
    if (format == "png")
        return QStringLiteral("png");
    return {};
}

QByteArray formatOfMime(const QString &mime)
{
    const QString m = mime.trimmed().toLower();
    if (m == QLatin1String("image/jpeg") || m == QLatin1String("image/jpg"))
        return "jpeg";
    if (m == QLatin1String("image/png"))
        return "png";
    return {};
}

// The size within kCoverImageSide square, never thinner than a pixel (a
// banner 8000 by 2 would scale to nothing).
QSize fitted(QSize size)
{
    return size.scaled(kCoverImageSide, kCoverImageSide, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

std::optional<Decoded> decode(const QByteArray &bytes, const QByteArray &formatHint)
{
    if (bytes.isEmpty() || bytes.size() > kMaxCoverFileBytes)
        return std::nullopt;
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    // The bytes decide: tags often name the wrong type. The named type is
    // tried only when the bytes are of no type Qt recognises.
    QImageReader reader(&buffer);
    if (reader.format().isEmpty() && !formatHint.isEmpty()) {
        buffer.seek(0);
        reader.setFormat(formatHint);
    }
    reader.setAutoTransform(true);
    // In MiB. JPEG decodes straight to the small size; a PNG is decoded
    // whole first, so this bounds it (about 5600 by 5600 in colour) and with
    // it the time a worker spends on one picture.
    reader.setAllocationLimit(128);
    const QString suffix = suffixFor(reader.format());
    const QSize size = reader.size();
    if (suffix.isEmpty() || !size.isValid() || size.width() > kMaxCoverPixelSide
        || size.height() > kMaxCoverPixelSide) {
        qCDebug(lcCover) << "picture refused:" << reader.format() << size;
        return std::nullopt;
    }
    // Decoding straight to the small size spares most of the work and the
    // memory for JPEG, whose decoder scales as it goes.
    if (size.width() > kCoverImageSide || size.height() > kCoverImageSide)
        reader.setScaledSize(fitted(size));
    QImage image = reader.read();
    if (image.isNull()) {
        qCDebug(lcCover) << "picture not decoded:" << reader.errorString();
        return std::nullopt;
    }
    if (image.width() > kCoverImageSide || image.height() > kCoverImageSide)
        image = image.scaled(fitted(image.size()), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return Decoded{std::move(image), suffix};
}

QByteArray readSmallFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxCoverFileBytes)
        return {};
    return file.read(kMaxCoverFileBytes + 1);
}

// The pictures beside the song, best first, each name in whatever case the
// folder spells it.
QStringList sidePictures(const QString &songPath)
{
    if (songPath.isEmpty())
        return {};
    const QDir dir = QFileInfo(songPath).absoluteDir();
    const QStringList present = dir.entryList(QDir::Files | QDir::Readable, QDir::Name);
    QStringList found;
    for (const char *wanted : kSideNames) {
        for (const QString &name : present) {
            if (name.compare(QLatin1String(wanted), Qt::CaseInsensitive) == 0)
                found.append(dir.filePath(name));
        }
    }
    return found;
}

QString cache(const QByteArray &bytes, const QString &suffix, const QString &cacheDir)
{
    const QByteArray hash = QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex().left(40);
    const QString path = cacheDir + QLatin1Char('/') + QString::fromLatin1(hash) + QLatin1Char('.') + suffix;
    if (QFileInfo::exists(path))
        return path;
    QString error = QStringLiteral("cannot make the folder");
    if (!QDir().mkpath(cacheDir) || !writeAtomically(path, bytes, &error)) {
        qCWarning(lcCover).noquote() << "cover not cached at" << path << error;
        return {};
    }
    return path;
}

} // namespace

QString coverCacheDir()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)
           + QStringLiteral("/liravo/covers");
}

std::optional<CoverArt> findCoverArt(const QString &songPath, const EmbeddedPicture &embedded,
                                     const QString &cacheDir)
{
    std::optional<Decoded> decoded = decode(embedded.bytes, formatOfMime(embedded.mimeType));
    QByteArray bytes = embedded.bytes;
    if (!decoded) {
        for (const QString &side : sidePictures(songPath)) {
            bytes = readSmallFile(side);
            decoded = decode(bytes, {});
            if (decoded)
                break;
        }
    }
    if (!decoded)
        return std::nullopt;
    return CoverArt{cache(bytes, decoded->suffix, cacheDir), std::move(decoded->image)};
}
