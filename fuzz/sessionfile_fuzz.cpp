// SPDX-License-Identifier: GPL-3.0-or-later
// Drives the session file reader with arbitrary bytes. Besides not crashing,
// what it takes must keep the collection's invariants, and writing it must
// give a file that reads back to the same bytes when written again: a session
// restored from a damaged file must not drift from run to run.
#include "collection/sessionfile.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void check(bool ok, const char *what)
{
    if (!ok) {
        std::fprintf(stderr, "sessionfile_fuzz: %s\n", what);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QString why;
    const std::optional<SessionState> s = parseSession(bytes, &why);
    if (!s) {
        check(!why.isEmpty(), "refused without a reason");
        return 0;
    }
    const SongCollection &c = s->collection;
    check(size <= size_t(kMaxSessionBytes), "took a file over the limit");
    check(c.count >= 0 && c.count <= SongCollection::kCapacity, "count out of range");
    check(c.currentIndex >= 0 && c.currentIndex <= c.count, "current entry out of range");
    check(s->positionMs >= 0, "negative position");
    check(!c.playing, "restored as playing");
    for (int i = c.count + 1; i <= SongCollection::kCapacity; ++i)
        check(c.entry(i) == SongEntry{}, "slot above count not empty");

    // Small inputs only: a write and two more reads of megabytes would spend
    // the fuzzer's time on Qt's JSON code rather than on the reader's checks.
    if (size > 64 * 1024)
        return 0;
    const QByteArray written = serializeSession(*s);
    const std::optional<SessionState> again = parseSession(written, &why);
    check(again.has_value(), "its own file refused");
    check(serializeSession(*again) == written, "second write differs");
    return 0;
}
