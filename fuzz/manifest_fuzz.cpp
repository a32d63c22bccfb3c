// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the update manifest reader: it must neither crash
// nor accept a manifest that leaves a plain line outside a section, and every
// file name it would store must be a plain name.
#include "system/updatemanifest.h"
// The library is built without coverage instrumentation; compiling the reader
// into this target gives libFuzzer the edges it steers by (the linker then
// takes no copy of it from the library).
#include "system/updatemanifest.cpp"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const UpdateManifest m = parseManifest(bytes);
    if (m.accepted != m.error.isEmpty())
        std::abort();
    if (!m.accepted
        && (m.errorLine < 1 || m.errorLine > manifestLines(decodeManifest(bytes)).size()))
        std::abort();
    for (const ManifestFile &f : m.files) {
        const QString name = fileNameFromAddress(f.address);
        if (!name.isEmpty()
            && (name.contains(u'/') || name.contains(u'\\') || name == QLatin1String("..")
                || name == QLatin1String(".")))
            std::abort();
    }
    return 0;
}
