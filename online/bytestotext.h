#pragma once
#include <QByteArray>
#include <QString>

// Decodes bytes in the character set named by `charset` ("utf-8", "UTF-16LE",
// "ISO-8859-1" ...). An unknown name or bytes that are not valid in that
// character set give "", so callers that test for "" see a failure rather
// than text full of replacement characters. A leading byte order mark is
// dropped.
QString bytesToText(const QByteArray &bytes, const QString &charset);
