// SPDX-License-Identifier: GPL-3.0-or-later
// The check before a collection is replaced reads whatever files the user
// dropped or chose. The first byte picks the extension the file is given
// (the reader TagLib uses follows it), the rest is the file. Beyond not
// crashing, a file the check refuses must be named in its message.
#include "collection/audioformats.h"
#include "collection/playablecheck.h"

#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir dir;
    if (size == 0 || !dir.isValid())
        return 0;
    const QStringList &types = audioExtensions();
    const QString path = dir.filePath(QStringLiteral("song") + types[data[0] % types.size()]);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    f.write(reinterpret_cast<const char *>(data) + 1, qint64(size - 1));
    f.close();
    const PlayableCheck r = checkPlayable(path);
    if (!r.ok() && !r.message.contains(QStringLiteral("song")))
        std::abort();
    return 0;
}
