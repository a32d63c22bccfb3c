#include "online/bytestotext.h"

#include <QStringDecoder>

QString bytesToText(const QByteArray &bytes, const QString &charset)
{
    const QByteArray name = charset.toLatin1();
    QStringDecoder decoder(name.constData(), QStringConverter::Flag::Stateless);
    if (!decoder.isValid())
        return {};
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return {};
    return text;
}
