// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/xdgfileassociation.h"

#include "base/atomicwrite.h"

#include <QDir>
#include <QRegularExpression>
#include <QFile>
#include <QStandardPaths>
#include <QStringList>
#include <functional>

namespace {

bool writeFile(const QString &path, const QByteArray &data, QString &error)
{
    QString why;
    if (!writeAtomically(path, data, &why)) {
        error = QStringLiteral("无法写入“%1”：%2").arg(path, why);
        return false;
    }
    return true;
}

bool isHeader(const QString &line)
{
    const QString t = line.trimmed();
    return t.startsWith(u'[') && t.endsWith(u']');
}

// Sets key=value inside [section] of a key file held as lines: replaces the
// key's first line there, or adds it after the section's last entry, or adds
// the section at the end. `merge` turns the old value (empty if none) into the new.
void setEntry(QStringList &lines, const QString &section, const QString &key,
              const std::function<QString(const QString &)> &merge)
{
    const QString header = u'[' + section + u']';
    qsizetype start = -1;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines.at(i).trimmed() == header) {
            start = i;
            break;
        }
    }
    if (start < 0) {
        if (!lines.isEmpty() && !lines.last().trimmed().isEmpty())
            lines << QString();
        lines << header << key + u'=' + merge(QString());
        return;
    }
    qsizetype insertAt = start + 1;
    for (qsizetype i = start + 1; i < lines.size() && !isHeader(lines.at(i)); ++i) {
        const QString &line = lines.at(i);
        const qsizetype eq = line.indexOf(u'=');
        if (eq > 0 && line.left(eq).trimmed() == key) {
            lines[i] = key + u'=' + merge(line.mid(eq + 1).trimmed());
            return;
        }
        if (!line.trimmed().isEmpty())
            insertAt = i + 1;
    }
    lines.insert(insertAt, key + u'=' + merge(QString()));
}

} // namespace

QString XdgFileAssociation::execArgument(const QString &executablePath)
{
    static const QString reserved = QStringLiteral(" \t\"'\\><~|&;$*?#()`");
    QString arg = executablePath;
    bool needsQuotes = false;
    for (QChar c : arg) {
        if (reserved.contains(c)) {
            needsQuotes = true;
            break;
        }
    }
    if (needsQuotes) {
        QString quoted;
        for (QChar c : arg) {
            if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
                quoted += u'\\';
            quoted += c;
        }
        arg = u'"' + quoted + u'"';
    }
    // Then the rules every string value follows: "\" is escaped, and "%"
    // would start a field code.
    arg.replace(u'\\', QStringLiteral("\\\\"));
    arg.replace(u'%', QStringLiteral("%%"));
    return arg;
}

QByteArray XdgFileAssociation::desktopEntry(const QString &executablePath)
{
    const QString text =
        QStringLiteral("[Desktop Entry]\n"
                       "Type=Application\n"
                       "Name=Liravo\n"
                       "GenericName=Music Player\n"
                       "GenericName[zh_CN]=音乐播放器\n"
                       "Comment=Play MP3 files and song collections\n"
                       "Comment[zh_CN]=用Liravo播放\n"
                       "Exec=")
        + execArgument(executablePath)
        + QStringLiteral(" %f\n"
                         "Icon=liravo\n"
                         "Terminal=false\n"
                         "Categories=AudioVideo;Audio;Player;\n"
                         "MimeType=audio/mpeg;application/x-liravo-collection;\n");
    return text.toUtf8();
}

QByteArray XdgFileAssociation::withDefaultHandler(const QByteArray &mimeapps,
                                                  const QString &mimeType,
                                                  const QString &desktopId)
{
    const QString text = QString::fromUtf8(mimeapps);
    const bool crlf = text.contains(QStringLiteral("\r\n"));
    QStringList lines = text.split(QRegularExpression(QStringLiteral("\r?\n")));
    const bool endedWithNewline = !text.isEmpty() && lines.last().isEmpty();
    if (endedWithNewline || text.isEmpty())
        lines.removeLast();

    setEntry(lines, QStringLiteral("Default Applications"), mimeType,
             [&](const QString &) -> QString { return desktopId; });
    setEntry(lines, QStringLiteral("Added Associations"), mimeType,
             [&](const QString &old) -> QString {
        QStringList ids = old.split(u';', Qt::SkipEmptyParts);
        ids.removeAll(desktopId);
        ids.prepend(desktopId);
        return ids.join(u';') + u';';
    });
    const QString nl = crlf ? QStringLiteral("\r\n") : QStringLiteral("\n");
    return (lines.join(nl) + nl).toUtf8();
}

bool XdgFileAssociation::associateMp3(const QString &executablePath)
{
    error_.clear();
    if (executablePath.contains(u'\n') || executablePath.contains(u'\r')) {
        error_ = QStringLiteral("程序路径含有换行符，无法写入启动项。");
        return false;
    }
    const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    const QString configHome =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (dataHome.isEmpty() || configHome.isEmpty()) {
        error_ = QStringLiteral("找不到用户的数据或配置文件夹。");
        return false;
    }
    const QString appsDir = dataHome + QStringLiteral("/applications");
    if (!QDir().mkpath(appsDir) || !QDir().mkpath(configHome)) {
        error_ = QStringLiteral("无法创建文件夹“%1”。").arg(appsDir);
        return false;
    }
    if (!writeFile(appsDir + u'/' + desktopId(), desktopEntry(executablePath), error_))
        return false;

    const QString listPath = configHome + QStringLiteral("/mimeapps.list");
    QByteArray old;
    QFile existing(listPath);
    if (existing.exists()) {
        if (!existing.open(QIODevice::ReadOnly)) {
            // Rewriting a file we could not read would lose the user's other choices.
            error_ = QStringLiteral("无法读取“%1”：%2").arg(listPath, existing.errorString());
            return false;
        }
        old = existing.readAll();
        existing.close();
    }
    return writeFile(listPath,
                     withDefaultHandler(old, QStringLiteral("audio/mpeg"), desktopId()), error_);
}
