// SPDX-License-Identifier: GPL-3.0-or-later
// Tag bytes come straight from files and streams. Beyond not crashing, the
// repair must leave real Unicode alone and never make text longer than its
// bytes.
#include "engine/tagtext.h"

#include <QStringDecoder>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray raw(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString out = repairTagText(raw);
    if (out.size() > raw.size())
        std::abort();

    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString asUtf8 = utf8.decode(raw);
    if (!utf8.hasError()) {
        bool wide = false;
        for (QChar c : asUtf8)
            wide = wide || c.unicode() > 0xFF;
        if (wide && out != asUtf8)
            std::abort();
    }
    const QString chinese = decodeLegacyChinese(raw);
    if (!chinese.isNull() && chinese.isEmpty())
        std::abort();
    return 0;
}
