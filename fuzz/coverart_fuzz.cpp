// SPDX-License-Identifier: GPL-3.0-or-later
// Drives the cover picker with arbitrary embedded picture bytes. Whatever the
// bytes claim, a picture it gives is small (it is sent over D-Bus as it is),
// and nothing it decodes may cost more than its limits allow (ASan would
// report an allocation beyond them).
#include "collection/coverart.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void check(bool ok, const char *what)
{
    if (!ok) {
        std::fprintf(stderr, "coverart_fuzz: %s\n", what);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    // A cache folder that cannot be made: nothing is written to disk, and the
    // picture must come back all the same.
    const std::optional<CoverArt> art =
        findCoverArt({}, {bytes, QStringLiteral("image/jpeg")}, QStringLiteral("/proc/no-such/covers"));
    if (!art)
        return 0;
    check(size <= size_t(kMaxCoverFileBytes), "took bytes over the limit");
    check(!art->image.isNull(), "a cover without an image");
    check(art->image.width() <= kCoverImageSide && art->image.height() <= kCoverImageSide, "image too large");
    check(art->path.isEmpty(), "wrote a cache file");
    return 0;
}
