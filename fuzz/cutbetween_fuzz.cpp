// SPDX-License-Identifier: GPL-3.0-or-later
// cutBetween, its one-pass walk (MarkerCuts) and encodeUrl on arbitrary text. Input: two bytes for n, then
// text, start marker and end marker separated by NUL bytes.
//
// The sources are compiled into this target (not taken from the library) so
// the fuzzer's coverage instrumentation and the sanitizers see them.
#include "tests/support/cutbetween.cpp"
#include "online/encodeurl.cpp"
#include "online/markercuts.cpp"
#include "online/markerfinder.cpp"

#include <QByteArray>
#include <QList>
#include <QUrl>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    const qint16 n = qint16(quint16(data[0]) | (quint16(data[1]) << 8));
    const QList<QByteArray> parts =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data + 2), qsizetype(size - 2))
            .split('\0');
    const QString text = QString::fromUtf8(parts.value(0));
    const QString start = QString::fromUtf8(parts.value(1));
    const QString end = QString::fromUtf8(parts.value(2));

    const QString cut = cutBetween(text, start, end, n);
    // Whatever comes out stood in the text between the two markers.
    if (!cut.isEmpty() && !text.contains(start + cut + end))
        std::abort();

    // The walk gives the same pieces, asked in order and then from n.
    MarkerCuts cuts(text, start, end);
    const int upTo = start.isEmpty() ? 4 : 12;
    for (int k = 1; k <= upTo; ++k) {
        if (cuts.cut(k) != cutBetween(text, start, end, qint16(k)))
            std::abort();
    }
    if (n >= 1 && cuts.cut(n) != cut)
        std::abort();

    const QString encoded = encodeUrl(text);
    for (const QChar c : encoded) {
        if (c.unicode() >= 0x80)
            std::abort();
    }
    bool surrogates = false;
    for (const QChar c : text)
        surrogates = surrogates || c.isSurrogate();
    // Without surrogates the encoding is plain UTF-8 and decodes back,
    // unless the text itself held escapes that the decoder would read.
    if (!surrogates && !text.contains(QLatin1Char('%'))
        && QString::fromUtf8(QByteArray::fromPercentEncoding(encoded.toLatin1())) != text)
        std::abort();
    return 0;
}
