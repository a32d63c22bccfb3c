// SPDX-License-Identifier: GPL-3.0-or-later
// The lyrics reader on arbitrary bytes: whatever the encoding guess and the
// tag parsing make of them, it must not crash, and the document must hold
// together: lines in time order, the current line inside the list.
#include "lyrics/lyricsdocument.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const LyricsDocument doc =
        parseLyricsBytes(QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size)));
    for (qsizetype i = 1; i < doc.lines.size(); ++i)
        if (doc.synced && doc.lines[i - 1].timeMs > doc.lines[i].timeMs)
            std::abort();
    if (doc.lines.size() > kMaxLyricsLines)
        std::abort();
    const qint64 probes[] = {0, 1000, 60000, INT64_MAX / 2};
    for (qint64 p : probes) {
        const int line = doc.lineAt(p);
        if (line < -1 || line >= doc.lines.size())
            std::abort();
    }
    (void)doc.plainText();
    return 0;
}
