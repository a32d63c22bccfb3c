// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/tagtext.h"

#include <QList>
#include <QStringDecoder>

namespace {

bool isCjk(char32_t c)
{
    return (c >= 0x4E00 && c <= 0x9FFF)     // unified ideographs
        || (c >= 0x3400 && c <= 0x4DBF)     // extension A
        || (c >= 0xF900 && c <= 0xFAFF)     // compatibility ideographs
        || (c >= 0x3040 && c <= 0x30FF)     // kana (GBK carries them)
        || (c >= 0x20000 && c <= 0x2FFFF);  // supplementary ideographs
}

// Latin-1 text that happens to be valid GBK pairs an accented letter with the
// plain letter after it ("ö" + "r" in Motörhead): the second byte is then
// below 0x80. Chinese text mostly sits in the GB2312 block, whose second bytes
// are all 0xA1 and above; the GBK extension rows (traditional characters) mix
// both. So the bytes count as Chinese only when most multi-byte characters
// end in a high byte. `dangling`: the last character lacks its second byte.
struct Trails {
    int high = 0, other = 0;
    bool dangling = false;
};

Trails trailsOf(const QByteArray &bytes)
{
    Trails t;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (static_cast<unsigned char>(bytes[i]) < 0x80)
            continue;
        if (i + 1 >= bytes.size()) {
            t.dangling = true;
            break;
        }
        const auto trail = static_cast<unsigned char>(bytes[i + 1]);
        if (trail >= 0x30 && trail <= 0x39) { // four-byte GB18030 sequence
            ++t.other;
            i += 3;
        } else {
            ++(trail >= 0x80 ? t.high : t.other);
            ++i;
        }
    }
    return t;
}

// Western taggers on Windows wrote code page 1252, not Latin-1: bytes 0x80
// to 0x9F are curly quotes, dashes and the euro sign there, and control codes
// nobody puts in a title in Latin-1.
QString westernText(const QString &widened)
{
    static const char16_t cp1252[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
        0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
        0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
        0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
    };
    QString out = widened;
    for (QChar &c : out)
        if (c.unicode() >= 0x80 && c.unicode() <= 0x9F)
            c = QChar(cp1252[c.unicode() - 0x80]);
    return out;
}

} // namespace

QString decodeLegacyChinese(const QByteArray &bytes)
{
    // ID3v1 fields are cut at 30 bytes, which can split the last character:
    // its lone first byte is dropped rather than failing the whole text.
    const Trails trails = trailsOf(bytes);
    QByteArray whole = bytes;
    if (trails.dangling)
        whole.chop(1);
    // Built by name each time: a stateless decoder keeps no half character
    // from one tag to the next, and the name lookup is cheap beside a file load.
    QStringDecoder gb("GB18030", QStringDecoder::Flag::Stateless);
    if (!gb.isValid())
        return {};
    QString text = gb.decode(whole);
    if (gb.hasError() || trails.high <= trails.other)
        return {};
    bool cjk = false;
    for (char32_t c : text.toUcs4()) {
        if (c == 0xFFFD || (c >= 0xE000 && c <= 0xF8FF) || c < 0x20)
            return {}; // user-defined or control codes: not real text
        cjk = cjk || isCjk(c);
    }
    return cjk ? text : QString();
}

QString repairTagText(const QByteArray &raw)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString asUtf8 = utf8.decode(raw);
    if (utf8.hasError()) {
        // Raw legacy bytes (ID3v1). Not Chinese: then Western.
        const QString chinese = decodeLegacyChinese(raw);
        return chinese.isNull() ? westernText(QString::fromLatin1(raw)) : chinese;
    }
    bool wide = false, high = false;
    for (QChar c : asUtf8) {
        wide = wide || c.unicode() > 0xFF;
        high = high || c.unicode() >= 0x80;
    }
    // Only text made entirely of U+0000..U+00FF can be bytes widened one by
    // one; anything wider is real Unicode and must not be second-guessed.
    if (wide || !high)
        return asUtf8;
    const QString chinese = decodeLegacyChinese(asUtf8.toLatin1());
    return chinese.isNull() ? westernText(asUtf8) : chinese;
}
