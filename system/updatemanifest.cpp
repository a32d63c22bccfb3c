// SPDX-License-Identifier: GPL-3.0-or-later
#include "system/updatemanifest.h"

#include <QStringDecoder>

namespace {

const QString kVersionMarker = QStringLiteral("最新版本号：");
const QString kNotesMarker = QStringLiteral("更新的内容：");
const QString kFilesMarker = QStringLiteral("更新的文件：");
const QString kTitleMarker = QStringLiteral("Liravo程序更新说明");
const QString kFieldSeparator = QStringLiteral("：");

enum class Section { None, Notes, Files, Recognised };

// Long lines are cut in messages so the box stays readable.
QString quoted(const QString &line)
{
    constexpr int kMax = 60;
    QString shown = line.size() > kMax ? line.left(kMax) + QStringLiteral("…") : line;
    return QStringLiteral("“") + shown + QStringLiteral("”");
}

UpdateManifest reject(UpdateManifest m, int line, const QString &what)
{
    m.accepted = false;
    m.errorLine = line;
    m.error = QStringLiteral("更新清单第%1行%2").arg(line).arg(what);
    return m;
}

} // namespace

QString decodeManifest(const QByteArray &bytes)
{
    QByteArray data = bytes;
    if (data.startsWith("\xEF\xBB\xBF"))
        data.remove(0, 3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(data);
    if (!utf8.hasError())
        return text;
    QStringDecoder gb("GB18030");
    if (gb.isValid()) {
        text = gb.decode(data);
        if (!gb.hasError())
            return text;
    }
    return QString::fromLatin1(data);
}

QStringList manifestLines(const QString &text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c != u'\r' && c != u'\n')
            continue;
        lines << text.mid(start, i - start);
        if (c == u'\r' && i + 1 < n && text.at(i + 1) == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines << text.mid(start);
    return lines;
}

UpdateManifest parseManifest(const QString &text)
{
    UpdateManifest m;
    Section section = Section::None;
    const QStringList lines = manifestLines(text);
    for (int i = 0; i < lines.size(); ++i) {
        const QString &line = lines.at(i);
        const int lineNo = i + 1;
        if (line.contains(kVersionMarker)) {
            QString rest = line;
            rest.remove(kVersionMarker);
            bool ok = false;
            const qint32 v = rest.trimmed().toInt(&ok, 10);
            // A garbled number must not pass for "no update" or a huge version.
            if (!ok)
                return reject(m, lineNo, QStringLiteral("的版本号不是整数：") + quoted(line));
            m.newestVersion = v;
        } else if (line.contains(kNotesMarker)) {
            section = Section::Notes;
        } else if (line.contains(kFilesMarker)) {
            section = Section::Files;
        } else if (line.contains(kTitleMarker)) {
            section = Section::Recognised;
        } else if (section == Section::Notes) {
            if (m.notes.isEmpty())
                m.notes = line;
            else
                m.notes += QStringLiteral("\r\n") + line;
        } else if (section == Section::Files) {
            if (line.trimmed().isEmpty())
                continue; // a blank line names no file
            const QStringList fields = line.split(kFieldSeparator);
            if (fields.size() < 2) {
                return reject(m, lineNo,
                              QStringLiteral("不是“名称：地址”形式的文件行：") + quoted(line));
            }
            m.files << ManifestFile{fields.at(0), fields.at(1).trimmed(), lineNo};
        } else {
            return reject(m, lineNo,
                          QStringLiteral("不在“更新的内容：”或“更新的文件：”之后，无法识别：")
                              + quoted(line));
        }
    }
    m.accepted = true;
    return m;
}

QString fileNameFromAddress(const QString &address)
{
    const QString name = address.mid(address.lastIndexOf(u'/') + 1);
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..")
        || name.contains(u'\\'))
        return {};
    for (QChar c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return {};
    }
    return name;
}
