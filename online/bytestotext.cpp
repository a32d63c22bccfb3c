// SPDX-License-Identifier: GPL-3.0-or-later
#include "online/bytestotext.h"

#include <QStringDecoder>

QString bytesToText(const QByteArray &bytes, const QString &charset)
{
    const QByteArray name = charset.toLatin1();
    QStringDecoder decoder(name.constData(), QStringConverter::Flag::Stateless);
    if (!decoder.isValid())
        return {};
    QString text = decoder.decode(bytes);
    if (!decoder.hasError())
        return text;
    // One stray byte must not cost the whole page: malformed sequences are
    // U+FFFD and the rest stands. Only a body with nothing else is undecodable.
    const QChar replacement(QChar::ReplacementCharacter);
    for (QChar c : std::as_const(text)) {
        if (c != replacement)
            return text;
    }
    return {};
}
