// SPDX-License-Identifier: GPL-3.0-or-later
// The comment reader takes whatever file the user opens. Beyond not crashing,
// no field may come out longer than the bytes it was read from.
#include "engine/vorbiscomments.h"

#include <QBuffer>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    const VorbisComments tags = VorbisComments::fromDevice(buffer);
    if (tags.title.size() + tags.artist.size() + tags.album.size() > bytes.size())
        std::abort();
    return 0;
}
