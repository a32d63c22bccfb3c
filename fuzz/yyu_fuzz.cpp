// SPDX-License-Identifier: GPL-3.0-or-later
// Drives the .yyu reader with arbitrary bytes. Besides not crashing, the
// reader must keep the collection's invariants, and what it reads must survive
// a write and a second read unchanged: the collection file a user saves after
// opening a damaged one must not drift.
#include "base/songcollection.h"
#include "collection/yyufile.h"

// The library is built without coverage counters and sanitizers; compiling the
// reader and the model into this target lets libFuzzer follow their branches
// and ASan watch their memory. Nothing else here needs the library's copies of
// these two files, so the linker never pulls them in beside these.
#include "base/songcollection.cpp"
#include "collection/yyufile.cpp"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void check(bool ok, const char *what)
{
    if (!ok) {
        std::fprintf(stderr, "yyu_fuzz: %s\n", what);
        std::abort();
    }
}

bool clean(const QString &s)
{
    return !s.contains(QLatin1Char('|')) && !s.contains(QLatin1Char('\r'));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const SongCollection c = parseCollection(bytes);

    check(c.count >= 0 && c.count <= SongCollection::kCapacity, "count out of range");
    check(c.saved && !c.playing && c.currentIndex == 1 && c.filePath.isEmpty(), "state fields");
    check(clean(c.albumName), "album name holds a bar or CR");
    for (int i = 1; i <= SongCollection::kCapacity; ++i) {
        const SongEntry &e = c.entry(i);
        if (i > c.count) {
            check(e == SongEntry{}, "slot above count not empty");
            continue;
        }
        check(clean(e.singer) && clean(e.songName) && clean(e.address), "field holds a bar or CR");
        check(e.isLocal || e.address.isEmpty(), "online entry with an address");
    }

    // Small inputs only: invalid bytes grow on re-encoding, and a line past
    // the reader's length limit is legitimately cut on the second read.
    if (size <= 8192) {
        const QByteArray written = serializeCollection(c);
        const SongCollection again = parseCollection(written);
        check(again == c, "write and re-read changed the collection");
        check(serializeCollection(again) == written, "second write differs");
    }
    return 0;
}
