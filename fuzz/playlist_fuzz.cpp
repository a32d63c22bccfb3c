// SPDX-License-Identifier: GPL-3.0-or-later
// Drives the playlist reader with arbitrary bytes as each kind of playlist.
// Besides not crashing, every entry must be usable by the rest of the player
// (named, so the song list's tidy keeps it; a local path absolute), and the
// .m3u8 written for it must read back to the same songs in the same order.
#include "collection/audioformats.h"
#include "collection/playlistfile.h"
#include "base/songcollection.h"

// Compiled in, so libFuzzer follows the reader's branches and ASan watches
// its memory; the library's copies of these files are then never linked.
#include "collection/audioformats.cpp"
#include "collection/playlistfile.cpp"
#include "base/songcollection.cpp"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void check(bool ok, const char *what)
{
    if (!ok) {
        std::fprintf(stderr, "playlist_fuzz: %s\n", what);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString folder = QStringLiteral("/music/lists");
    for (PlaylistFile::Kind kind :
         {PlaylistFile::Kind::M3u, PlaylistFile::Kind::M3u8, PlaylistFile::Kind::Pls}) {
        const PlaylistFile::Parsed p = PlaylistFile::parse(bytes, kind, folder);
        const SongCollection &c = p.collection;
        check(c.count >= 0 && c.count <= SongCollection::kCapacity, "count out of range");
        check(p.leftOut >= 0 && (p.leftOut == 0 || c.isFull()), "left out before full");
        for (int i = 1; i <= SongCollection::kCapacity; ++i) {
            const SongEntry &e = c.entry(i);
            if (i > c.count) {
                check(e == SongEntry{}, "slot above count not empty");
                continue;
            }
            check(!e.songName.isEmpty(), "entry without a name");
            check(!e.address.isEmpty(), "entry without an address");
            check(!e.isLocal || e.address.startsWith(QLatin1Char('/'))
                      || e.address.startsWith(QLatin1String("file://"), Qt::CaseInsensitive),
                  "relative local path");
        }

        const SongCollection again =
            PlaylistFile::parse(PlaylistFile::serialize(c), PlaylistFile::Kind::M3u8, QStringLiteral("/x")).collection;
        check(again.count == c.count, "written list has a different length");
        for (int i = 1; i <= c.count; ++i) {
            check(again.entry(i).address == c.entry(i).address, "address changed on re-read");
            check(again.entry(i).isLocal == c.entry(i).isLocal, "kind changed on re-read");
        }
    }
    return 0;
}
