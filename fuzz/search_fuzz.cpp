// SPDX-License-Identifier: GPL-3.0-or-later
// The result-page scraper on arbitrary pages: it must not crash, must keep
// the collection within its capacity, and must only keep titles of 1 to 30
// code units. The whole search loop also runs over a client that answers
// every page with the input, which must end.
//
// The sources are compiled into this target (not taken from the library) so
// the fuzzer's coverage instrumentation and the sanitizers see them.
#include "online/bytestotext.cpp"
#include "tests/support/cutbetween.cpp"
#include "online/encodeurl.cpp"
#include "online/fetchpage.cpp"
#include "online/markercuts.cpp"
#include "online/markerfinder.cpp"
#include "online/songsearch.cpp"

#include "echoclient.h"

#include <cstdlib>

namespace {

void check(const SongCollection &c)
{
    if (c.count < 0 || c.count > SongCollection::kCapacity)
        std::abort();
    for (int n = 1; n <= c.count; ++n) {
        const SongEntry &e = c.entry(n);
        if (e.songName.isEmpty() || e.songName.size() > 30 || !e.address.isEmpty() || e.isLocal)
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    SongCollection c;
    scrapeResultPage(QString::fromUtf8(bytes), c);
    check(c);

    EchoClient http(bytes);
    const SearchOutcome out =
        searchSongs(http, QStringLiteral("h"), QStringLiteral("k"), true, nullptr, {.timeoutMs = 1000});
    check(out.songs);
    // A page that keeps nothing may still lead on, but never past the cap.
    if (http.requests > kMaxPages)
        std::abort();
    return 0;
}
