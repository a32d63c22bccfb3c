// SPDX-License-Identifier: GPL-3.0-or-later
// The tag reader on arbitrary files: the input is written to a scratch file
// under each extension TagLib chooses a format by, then read with every part
// asked for. Damaged tags must read as nothing, never crash.
#include "collection/tagreader.h"

#include <QDir>
#include <QFile>

#include <cstdint>
#include <cstdlib>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QString dir = [] {
        const QString d = QDir::temp().filePath(QStringLiteral("tagreader_fuzz.%1").arg(getpid()));
        QDir().mkpath(d);
        std::atexit([] { QDir(QDir::temp().filePath(QStringLiteral("tagreader_fuzz.%1").arg(getpid()))).removeRecursively(); });
        return d;
    }();
    static const char *const extensions[] = {"mp3", "flac", "ogg", "opus", "m4a", "wma", "wav", "ape"};
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    for (const char *ext : extensions) {
        const QString path = dir + QStringLiteral("/in.") + QLatin1String(ext);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
            return 0;
        f.close();
        const FileTags t = readFileTags(path, TagPart::Names | TagPart::Lyrics | TagPart::Picture | TagPart::Duration);
        if (t.picture.size() > kMaxEmbeddedPictureBytes || t.durationMs < 0)
            __builtin_trap();
    }
    return 0;
}
