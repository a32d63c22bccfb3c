// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/tagtext.h"

#include <gtest/gtest.h>

namespace {

// How the decoder hands over bytes from an ID3v2 frame marked ISO-8859-1:
// every byte widened to the code point of the same value, as UTF-8.
QByteArray widened(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes).toUtf8();
}

QByteArray gbk(const char *hex)
{
    return QByteArray::fromHex(hex);
}

const char *const Tonghua = "cdafbbb0";                   // 童话
const char *const JayChou = "4a6179d6dcbddcc2d7";         // Jay周杰伦
const char *const ZhangXueyou = "8f888c57d3d1";          // 張學友 (GBK extension rows)
const char *const Sakura = "a4b5a4afa4e9";               // さくら

TEST(RepairTagText, LegacyGbkBecomesChineseWhetherRawOrWidened)
{
    struct Case {
        const char *hex;
        QString text;
    };
    const Case cases[] = {
        {Tonghua, "童话"},
        {JayChou, "Jay周杰伦"},
        {ZhangXueyou, "張學友"},
        {Sakura, "さくら"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.hex);
        EXPECT_EQ(repairTagText(gbk(c.hex)), c.text);
        EXPECT_EQ(repairTagText(widened(gbk(c.hex))), c.text);
    }
}

TEST(RepairTagText, ProperUnicodeAndPlainTextStayAsTheyAre)
{
    for (const QString &s : {QString("童话"), QString("Café"), QString("Motörhead"),
                             QString("Beyoncé – Halo"), QString("Hello"), QString()}) {
        SCOPED_TRACE(s.toStdString());
        // Proper UTF-8 "Café" is C3 A9 after "Caf", which also reads as GBK
        // ("Caf茅"): it must not be reinterpreted.
        EXPECT_EQ(repairTagText(s.toUtf8()), s);
    }
}

TEST(RepairTagText, RealLatin1StaysLatin1)
{
    // Several of these are valid GBK byte for byte ("ö"+"r" pairs into an
    // ideograph), so a clean decode alone is not enough to repair.
    for (const QString &s : {QString("Café"), QString("Motörhead"), QString("Señorita"),
                             QString("Ångström"), QString("Müßiggang"), QString("Héroes del Silencio"),
                             QString("Sigur Rós"), QString("Ça plane pour moi")}) {
        SCOPED_TRACE(s.toStdString());
        const QByteArray latin1 = s.toLatin1();
        EXPECT_EQ(repairTagText(widened(latin1)), s); // ID3v2 frame
        EXPECT_EQ(repairTagText(latin1), s);          // raw ID3v1 bytes
    }
}

TEST(RepairTagText, WindowsWesternPunctuationComesOutRight)
{
    const QByteArray bytes("Don\x92t Stop \x96 \x80 5");
    EXPECT_EQ(repairTagText(bytes), QString("Don’t Stop – € 5"));
    EXPECT_EQ(repairTagText(widened(bytes)), QString("Don’t Stop – € 5"));
}

TEST(RepairTagText, TruncatedLastCharacterOfAnId3v1FieldIsDropped)
{
    // 30-byte fields cut Chinese text wherever the limit falls.
    EXPECT_EQ(repairTagText(gbk(JayChou) + char(0xb0)), "Jay周杰伦");
    EXPECT_EQ(repairTagText(gbk(Tonghua).left(3)), "童");
}

TEST(DecodeLegacyChinese, RefusesWhatIsNotChineseText)
{
    EXPECT_EQ(decodeLegacyChinese(gbk(Tonghua)), "童话");
    EXPECT_TRUE(decodeLegacyChinese("plain ascii").isNull());
    EXPECT_TRUE(decodeLegacyChinese(gbk("a1bea1bf")).isNull()); // 【】: punctuation only
    EXPECT_TRUE(decodeLegacyChinese(gbk("fcdf")).isNull());     // user-defined area
    EXPECT_TRUE(decodeLegacyChinese(gbk("8130")).isNull());     // broken four-byte sequence
    EXPECT_TRUE(decodeLegacyChinese(gbk("cdaf01bbb0")).isNull()); // control code inside
    EXPECT_TRUE(decodeLegacyChinese({}).isNull());
}

} // namespace
