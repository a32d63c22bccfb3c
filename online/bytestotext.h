// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QByteArray>
#include <QString>

// Decodes bytes in the character set named by `charset` ("utf-8", "UTF-16LE",
// "ISO-8859-1" ...). Malformed sequences become U+FFFD and the rest is kept;
// an unknown name, or bytes with no decodable text at all, give "". A
// leading byte order mark is dropped.
QString bytesToText(const QByteArray &bytes, const QString &charset);
