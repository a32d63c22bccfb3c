// SPDX-License-Identifier: GPL-3.0-or-later
#include "online/encodeurl.h"

namespace {

void appendByte(QString &out, unsigned byte)
{
    static const char hex[] = "0123456789ABCDEF";
    out += QLatin1Char('%');
    out += QLatin1Char(hex[(byte >> 4) & 0xF]);
    out += QLatin1Char(hex[byte & 0xF]);
}

} // namespace

QString encodeUrl(const QString &text)
{
    QString out;
    out.reserve(text.size() * 3);
    for (const QChar ch : text) {
        const unsigned c = ch.unicode();
        if (c < 0x80) {
            out += ch;
        } else if (c < 0x800) {
            appendByte(out, 0xC0 | (c >> 6));
            appendByte(out, 0x80 | (c & 0x3F));
        } else {
            appendByte(out, 0xE0 | (c >> 12));
            appendByte(out, 0x80 | ((c >> 6) & 0x3F));
            appendByte(out, 0x80 | (c & 0x3F));
        }
    }
    return out;
}
