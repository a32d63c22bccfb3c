// SPDX-License-Identifier: GPL-3.0-or-later
#include "collection/playlistfile.h"

#include "base/atomicwrite.h"

#include "collection/audioformats.h"
#include "collection/tagnames.h"
#include "base/settings.h"
#include "base/settingskeys.h"
#include "desktop/dialogs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QUrl>

#include <map>

Q_LOGGING_CATEGORY(lcPlaylist, "liravo.playlist", QtWarningMsg)

namespace {

// No playlist of songs comes near this; a huge or binary file read by
// mistake costs this much memory at most.
constexpr qint64 kMaxBytes = 16 * 1024 * 1024;

QString decodeText(QByteArray bytes, PlaylistFile::Kind kind)
{
    const bool bom = bytes.startsWith("\xEF\xBB\xBF");
    if (bom)
        bytes.remove(0, 3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    if (bom || kind == PlaylistFile::Kind::M3u8 || !utf8.hasError())
        return text;
    // Lists written on Chinese Windows carry no byte-order mark and use the
    // ANSI code page.
    QStringDecoder gb("GB18030", QStringDecoder::Flag::Stateless);
    if (!gb.isValid())
        return text;
    return gb.decode(bytes);
}

QStringList textLines(const QString &text)
{
    return text.split(QLatin1Char('\n'));
}

// The file's bytes with every line end made "\n" and the lines longer than
// a path can be left out (counted in *skipped). One pass, one copy: a
// multi-megabyte line costs no decoding, no trimming and no entry.
QByteArray withoutLongLines(QByteArrayView bytes, int *skipped)
{
    QByteArray kept;
    kept.reserve(qMin<qsizetype>(bytes.size(), 1 << 20));
    qsizetype start = 0;
    while (start <= bytes.size()) {
        qsizetype end = start;
        while (end < bytes.size() && bytes[end] != '\n' && bytes[end] != '\r')
            ++end;
        if (end - start > PlaylistFile::kMaxLineBytes)
            ++*skipped;
        else
            kept.append(bytes.sliced(start, end - start));
        if (end >= bytes.size())
            break;
        kept.append('\n');
        // "\r\n" ends one line, not two.
        start = end + (bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n' ? 2 : 1);
    }
    kept.squeeze();
    return kept;
}

bool isWebAddress(const QString &location)
{
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*://"));
    return scheme.match(location).hasMatch();
}

// "<singer> - <name>", or the name alone.
void applyInfo(SongEntry &e, const QString &info)
{
    const qsizetype dash = info.indexOf(QLatin1String(" - "));
    if (dash < 0) {
        e.songName = info.trimmed();
        return;
    }
    e.singer = info.left(dash).trimmed();
    e.songName = info.mid(dash + 3).trimmed();
}

// The path as written back: lines are read trimmed, so a path that tidying
// leaves with blanks at an end ("a/ /" -> "a/ ") is trimmed as well.
QString cleanLocalPath(const QString &path)
{
    QString clean = QDir::cleanPath(path);
    while (clean != clean.trimmed())
        clean = QDir::cleanPath(clean.trimmed());
    return clean;
}

// The entry a playlist line gives; `untitled` says that the list names a
// local file without a title, which its tags may name.
SongEntry entryFor(const QString &location, const QString &info, const QString &folder, bool &untitled)
{
    SongEntry e;
    if (location.startsWith(QLatin1String("file://"), Qt::CaseInsensitive)) {
        // An address naming no local file stays as written, an entry that
        // cannot play rather than one that vanishes.
        QString path = QUrl(location).toLocalFile();
        path.replace(QLatin1Char('\\'), QLatin1Char('/'));
        e.address = path.isEmpty() ? location : cleanLocalPath(path);
        e.isLocal = true;
    } else if (isWebAddress(location)) {
        e.address = location;
    } else {
        // Lists written on Windows separate folders with "\".
        QString path = location;
        path.replace(QLatin1Char('\\'), QLatin1Char('/'));
        // Joined by hand: QDir takes a name beginning with ":" for a resource.
        if (!path.startsWith(QLatin1Char('/')))
            path = folder + QLatin1Char('/') + path;
        e.address = cleanLocalPath(path);
        e.isLocal = true;
    }
    applyInfo(e, info);
    untitled = e.songName.isEmpty() && e.isLocal;
    if (untitled)
        e.songName = fileNameWithoutExtension(e.address);
    if (e.songName.isEmpty()) {
        // A nameless entry would be dropped by the song list's tidy.
        const QString file = e.isLocal ? QFileInfo(e.address).fileName() : QUrl(location).fileName();
        e.songName = file.isEmpty() ? location : file;
    }
    return e;
}

// The text after "#EXTINF:<seconds>[ attributes]," where attribute values in
// quotes may hold commas themselves.
QString extinfText(const QString &line)
{
    bool quoted = false;
    for (qsizetype i = 8; i < line.size(); ++i) {
        if (line.at(i) == QLatin1Char('"'))
            quoted = !quoted;
        else if (line.at(i) == QLatin1Char(',') && !quoted)
            return line.mid(i + 1);
    }
    return {};
}

class Collector {
public:
    // Made only while there is room: a line beyond the limit costs nothing
    // but its count.
    void add(const QString &location, const QString &info, const QString &folder)
    {
        if (c.isFull()) {
            ++parsed.leftOut;
            return;
        }
        bool untitledLine = false;
        c.entry(++c.count) = entryFor(location, info, folder, untitledLine);
        if (untitledLine)
            untitled << c.count;
    }

    // Untitled local entries are named by their files' tags: a few at once,
    // more by the caller, away from the window.
    void nameUntitled()
    {
        if (untitled.size() > kTagNamesOnTheSpot) {
            for (int n : std::as_const(untitled))
                parsed.nameLater << c.entry(n).address;
            return;
        }
        for (int n : std::as_const(untitled)) {
            SongEntry &e = c.entry(n);
            const TagNames names = tagNamesOf(e.address);
            e.songName = names.songName;
            if (e.singer.isEmpty())
                e.singer = names.singer;
        }
    }

    PlaylistFile::Parsed parsed;
    SongCollection &c = parsed.collection;
    QList<int> untitled;
};

void parseM3u(const QStringList &lines, const QString &folder, Collector &out)
{
    QString info;
    for (const QString &raw : lines) {
        const QString line = raw.trimmed();
        if (line.isEmpty())
            continue;
        if (line.startsWith(QLatin1Char('#'))) {
            if (line.startsWith(QLatin1String("#EXTINF:"), Qt::CaseInsensitive))
                info = extinfText(line);
            continue;
        }
        out.add(line, info, folder);
        info.clear();
    }
}

void parsePls(const QStringList &lines, const QString &folder, Collector &out)
{
    struct Item {
        QString file;
        QString title;
    };
    std::map<qint64, Item> items; // by entry number, as the file numbers them
    for (const QString &raw : lines) {
        const QString line = raw.trimmed();
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0)
            continue;
        const QString key = line.left(eq).trimmed().toLower();
        const QString value = line.mid(eq + 1).trimmed();
        bool ok = false;
        if (key.startsWith(QLatin1String("file"))) {
            const qint64 n = key.mid(4).toLongLong(&ok);
            if (ok)
                items[n].file = value;
        } else if (key.startsWith(QLatin1String("title"))) {
            const qint64 n = key.mid(5).toLongLong(&ok);
            if (ok)
                items[n].title = value;
        }
    }
    for (const auto &[n, item] : items) {
        if (!item.file.isEmpty())
            out.add(item.file, item.title, folder);
    }
}

// The kind a path's extension names, in any letter case; none for other files.
std::optional<PlaylistFile::Kind> kindOf(const QString &path)
{
    const QString ext = fileExtension(path);
    if (ext == QLatin1String(".m3u"))
        return PlaylistFile::Kind::M3u;
    if (ext == QLatin1String(".m3u8"))
        return PlaylistFile::Kind::M3u8;
    if (ext == QLatin1String(".pls"))
        return PlaylistFile::Kind::Pls;
    return std::nullopt;
}

QString oneLine(QString s)
{
    s.replace(QLatin1Char('\r'), QLatin1Char(' '));
    s.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return s;
}

} // namespace

PlaylistFile::Parsed PlaylistFile::parse(const QByteArray &bytes, Kind kind, const QString &folder)
{
    Collector out;
    const QStringList lines = textLines(decodeText(withoutLongLines(bytes, &out.parsed.longLines), kind));
    if (kind == Kind::Pls)
        parsePls(lines, folder, out);
    else
        parseM3u(lines, folder, out);
    out.nameUntitled();
    out.c.saved = true;
    out.c.playing = false;
    out.c.currentIndex = 1;
    return std::move(out.parsed);
}

QByteArray PlaylistFile::serialize(const SongCollection &c)
{
    QString text = QStringLiteral("#EXTM3U\n");
    for (int n = 1; n <= c.count; ++n) {
        const SongEntry &e = c.entry(n);
        // An online song known only by name has nothing another player could open.
        if (e.address.isEmpty())
            continue;
        const QString info = e.singer.isEmpty() ? e.songName : e.singer % QStringLiteral(" - ") % e.songName;
        text += QStringLiteral("#EXTINF:-1,") % oneLine(info) % QLatin1Char('\n')
                % oneLine(e.address) % QLatin1Char('\n');
    }
    return text.toUtf8();
}

bool PlaylistFile::load(SongCollection &c, const QString &path, Settings &settings, Dialogs &dialogs,
                        QStringList *nameLater)
{
    const std::optional<Kind> kind = kindOf(path);
    if (!kind)
        return false;
    QFile file(path);
    QByteArray bytes;
    if (file.open(QIODevice::ReadOnly))
        bytes = file.read(kMaxBytes);
    if (!file.isOpen() || file.error() != QFileDevice::NoError) {
        qCWarning(lcPlaylist) << "cannot read" << path << file.errorString();
        dialogs.messageBox(QStringLiteral("播放列表无法读取：\n%1\n\n%2").arg(path, file.errorString()),
                           QStringLiteral("Liravo"), Dialogs::Buttons::Ok, Dialogs::Icon::Critical);
        return false;
    }
    const QFileInfo info(path);
    Parsed parsed = parse(bytes, *kind, info.absolutePath());
    parsed.collection.albumName = info.completeBaseName();
    parsed.collection.filePath = path;
    c = std::move(parsed.collection);
    if (nameLater)
        *nameLater = parsed.nameLater;
    settings.store(SettingKeys::lastCollectionPath, path);

    QStringList names;
    for (int n = 1; n <= c.count; ++n)
        names << c.entry(n).songName;
    qCInfo(lcPlaylist).noquote() << "loaded" << path << "entries:" << names.join(QStringLiteral(" | "));

    if (parsed.longLines > 0) {
        qCWarning(lcPlaylist) << path << "has" << parsed.longLines << "lines over"
                              << kMaxLineBytes << "bytes; skipped";
        dialogs.messageBox(QStringLiteral("播放列表中有%1行过长（超过%2 KB），不是歌曲的位置，已跳过。")
                               .arg(parsed.longLines)
                               .arg(kMaxLineBytes / 1024),
                           QStringLiteral("Liravo"), Dialogs::Buttons::Ok, Dialogs::Icon::Warning);
    }
    if (parsed.leftOut > 0) {
        dialogs.messageBox(QStringLiteral("歌集最多只能保存%1首歌曲，有%2首没有添加。")
                               .arg(SongCollection::kCapacity)
                               .arg(parsed.leftOut));
    }
    return true;
}

bool PlaylistFile::save(const SongCollection &c, const QString &path, Dialogs &dialogs)
{
    if (path.isEmpty())
        return false;
    const QByteArray bytes = serialize(c);
    QString error;
    const QFileInfo info(path);
    if (info.isDir()) {
        error = QStringLiteral("这是一个文件夹");
    } else if (info.exists() && (!info.isWritable() || !(info.permissions() & QFileDevice::WriteOwner))) {
        // Renaming would replace even a file the user made read-only (and
        // root may write anything, so the mark itself is asked too).
        error = QStringLiteral("文件是只读的");
    } else {
        writeAtomically(path, bytes, &error);
    }
    if (!error.isEmpty()) {
        qCWarning(lcPlaylist) << "cannot write" << path << error;
        dialogs.messageBox(QStringLiteral("播放列表没有保存成功：\n%1\n\n%2").arg(path, error),
                           QStringLiteral("Liravo"), Dialogs::Buttons::Ok, Dialogs::Icon::Critical);
        return false;
    }
    dialogs.messageBox(QStringLiteral("已经保存！"), QStringLiteral("保存"), Dialogs::Buttons::Ok);
    return true;
}
