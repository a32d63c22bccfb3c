// SPDX-License-Identifier: GPL-3.0-or-later
#include "system/updatemanifest.h"

#include <gtest/gtest.h>

namespace {
QString lines(std::initializer_list<const char *> ls, const char *eol = "\r\n")
{
    QString s;
    for (const char *l : ls)
        s += QString::fromUtf8(l) + QString::fromLatin1(eol);
    return s;
}
} // namespace

TEST(Manifest, FullManifestGivesVersionNotesAndFiles)
{
    const UpdateManifest m = parseManifest(lines({
        "Liravo程序更新说明",
        "最新版本号：20140601",
        "更新的内容：",
        "修正了播放列表的问题",
        "加快了启动",
        "更新的文件：",
        "主程序：http://www.example.test/player/Liravo",
        "帮助：http://www.example.test/player/help.txt",
    }));
    ASSERT_TRUE(m.accepted) << m.error.toStdString();
    EXPECT_EQ(m.newestVersion, 20140601);
    EXPECT_EQ(m.notes, "修正了播放列表的问题\r\n加快了启动");
    ASSERT_EQ(m.files.size(), 2);
    EXPECT_EQ(m.files[0].label, "主程序");
    EXPECT_EQ(m.files[0].address, "http://www.example.test/player/Liravo");
    EXPECT_EQ(m.files[0].line, 7);
    EXPECT_EQ(m.files[1].address, "http://www.example.test/player/help.txt");
}

TEST(Manifest, MarkersCountAnywhereInTheLineAndInTestOrder)
{
    const UpdateManifest m = parseManifest(lines({
        "Liravo程序更新说明",
        "  最新版本号：20140530",
        "最新版本号：最新版本号： 20140602 ", // every marker goes; a later line wins
        "更新的内容：以下内容",          // the rest of a section line is ignored
        "第一条",
        "顺便一提 更新的文件：",         // switches instead of being shown
        "程序：http://h.test/a：b",      // only the first two fields count
    }));
    ASSERT_TRUE(m.accepted) << m.error.toStdString();
    EXPECT_EQ(m.newestVersion, 20140602);
    EXPECT_EQ(m.notes, "第一条");
    ASSERT_EQ(m.files.size(), 1);
    EXPECT_EQ(m.files[0].address, "http://h.test/a");
}

TEST(Manifest, BlankNotesLinesOnlyCountOnceNotesExist)
{
    const UpdateManifest m = parseManifest(lines({"更新的内容：", "", "一", "", "二"}));
    ASSERT_TRUE(m.accepted);
    EXPECT_EQ(m.notes, "一\r\n\r\n二");
    EXPECT_EQ(m.newestVersion, 0);
}

TEST(Manifest, PlainLineOutsideASectionIsRejectedNamingTheLine)
{
    UpdateManifest m = parseManifest(lines({"", "Liravo程序更新说明"}));
    EXPECT_FALSE(m.accepted);
    EXPECT_EQ(m.errorLine, 1);
    EXPECT_TRUE(m.error.contains("第1行")) << m.error.toStdString();

    m = parseManifest(lines({"Liravo程序更新说明", "最新版本号：20140601", "<html>"}));
    EXPECT_FALSE(m.accepted);
    EXPECT_EQ(m.errorLine, 3);
    EXPECT_TRUE(m.error.contains("第3行"));
    EXPECT_TRUE(m.error.contains("<html>"));

    // A long offending line is shortened in the description.
    m = parseManifest(QString(500, u'x'));
    EXPECT_FALSE(m.accepted);
    EXPECT_LT(m.error.size(), 120);
    EXPECT_TRUE(m.error.contains(QString(60, u'x') + "…"));

    // The title line ends a section as well.
    m = parseManifest(lines({"更新的内容：", "一", "Liravo程序更新说明", "二"}));
    EXPECT_FALSE(m.accepted);
    EXPECT_EQ(m.errorLine, 4);
}

TEST(Manifest, BadVersionOrFileLineIsRejected)
{
    UpdateManifest m = parseManifest(lines({"最新版本号：v2.1"}));
    EXPECT_FALSE(m.accepted);
    EXPECT_EQ(m.errorLine, 1);
    EXPECT_TRUE(m.error.contains("版本号"));
    // Text before the marker makes it a version line whose number is garbled.
    m = parseManifest(lines({"更新的内容：", "说明 最新版本号：20140530"}));
    EXPECT_FALSE(m.accepted);
    EXPECT_TRUE(m.error.contains("版本号"));
    m = parseManifest(lines({"最新版本号：99999999999"}));
    EXPECT_FALSE(m.accepted);
    m = parseManifest(lines({"更新的文件：", "", "http://h.test/a.txt"}));
    EXPECT_FALSE(m.accepted);
    EXPECT_EQ(m.errorLine, 3);
    // A blank line in the file section names no file and is not an error.
    m = parseManifest(lines({"更新的文件：", "", "甲：http://h.test/a.txt", ""}));
    ASSERT_TRUE(m.accepted);
    EXPECT_EQ(m.files.size(), 1);
}

TEST(Manifest, LineEndings)
{
    EXPECT_EQ(manifestLines("a\r\nb\rc\nd"), (QStringList{"a", "b", "c", "d"}));
    EXPECT_EQ(manifestLines("a\r\n"), QStringList{"a"});
    EXPECT_EQ(manifestLines("a\r\n\r\n"), (QStringList{"a", ""}));
    EXPECT_TRUE(manifestLines("").isEmpty());
    const UpdateManifest m = parseManifest(lines({"更新的内容：", "一", "二"}, "\r"));
    EXPECT_EQ(m.notes, "一\r\n二");
    // An empty reply is a manifest without a version: nothing to update.
    EXPECT_TRUE(parseManifest(QString()).accepted);
}

TEST(Manifest, DecodesUtf8AndCodePage936)
{
    const QString text = QStringLiteral("更新的内容：\r\n中文说明\r\n");
    EXPECT_EQ(decodeManifest(text.toUtf8()), text);
    EXPECT_EQ(decodeManifest("\xEF\xBB\xBF" + text.toUtf8()), text);
    // "更新的内容：" in GBK/GB18030 bytes.
    const QByteArray gbk("\xB8\xFC\xD0\xC2\xB5\xC4\xC4\xDA\xC8\xDD\xA3\xBA");
    EXPECT_EQ(decodeManifest(gbk), QStringLiteral("更新的内容："));
    EXPECT_EQ(parseManifest(gbk + "\r\n\xD6\xD0\xCE\xC4").notes, QStringLiteral("中文"));
}

TEST(Manifest, FileNameMustBePlain)
{
    EXPECT_EQ(fileNameFromAddress("http://h.test/player/Liravo"), "Liravo");
    EXPECT_EQ(fileNameFromAddress("Liravo.exe"), "Liravo.exe");
    EXPECT_EQ(fileNameFromAddress("http://h.test/a.txt?v=2"), "a.txt?v=2");
    for (const char *bad : {"", "http://h.test/", "http://h.test/..", "http://h.test/.",
                            "http://h.test/..\\..\\etc\\passwd", "..", "a\nb", "x/a\tb"})
        EXPECT_TRUE(fileNameFromAddress(QString::fromUtf8(bad)).isEmpty()) << bad;
}
