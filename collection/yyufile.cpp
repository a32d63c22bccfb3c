// SPDX-License-Identifier: GPL-3.0-or-later
#include "collection/yyufile.h"

#include "base/atomicwrite.h"

#include "collection/fileexists.h"
#include "base/songcollection.h"
#include "base/settings.h"
#include "base/settingskeys.h"
#include "desktop/dialogs.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QDir>
#include <QLoggingCategory>

namespace {

Q_LOGGING_CATEGORY(lcCollection, "liravo.collection")

// GB18030 is byte for byte GBK for every character GBK has, so files from GBK
// writers read back unchanged, and it can write every other character too, so
// nothing a user typed turns into "?".
constexpr const char kCodec[] = "GB18030";

// No real collection line comes near this; it keeps a binary or gigantic file
// from costing gigabytes. Text past the limit is dropped from that line only.
constexpr qsizetype kMaxLineBytes = 64 * 1024;

// The Windows GBK code page writes the euro sign as the single byte 0x80,
// which GB18030 leaves undefined and spells A2 E3 instead. Files from GBK
// writers must read back unchanged and ours must read in GBK readers, so the
// euro sign takes the GBK byte in both directions.
constexpr char kGbkEuroByte = char(0x80);
constexpr char16_t kEuro = u'\u20AC';

// Where in bytes a lone 0x80 stands as a character of its own (a trail byte of
// a two-byte character may be 0x80 too), or -1.
qsizetype findGbkEuro(QByteArrayView bytes, qsizetype from)
{
    qsizetype i = from;
    while (i < bytes.size()) {
        const auto b = uchar(bytes[i]);
        if (b == 0x80)
            return i;
        if (b < 0x80 || b == 0xFF) {
            ++i;
        } else if (i + 1 < bytes.size() && uchar(bytes[i + 1]) >= 0x30
                   && uchar(bytes[i + 1]) <= 0x39) {
            i += 4; // four-byte GB18030 sequence
        } else {
            i += 2;
        }
    }
    return -1;
}

// Stateless converters carry nothing from one call to the next, so one of
// each serves a whole file; opening the codec costs more than a short line.
QString decode(QStringDecoder &dec, QByteArrayView bytes)
{
    if (!dec.isValid())
        return QString::fromLatin1(bytes); // never with a Qt built on ICU
    if (!bytes.contains(kGbkEuroByte))
        return QString(dec.decode(bytes));
    QString out;
    qsizetype from = 0;
    for (qsizetype euro; (euro = findGbkEuro(bytes, from)) >= 0; from = euro + 1) {
        out += QString(dec.decode(bytes.sliced(from, euro - from)));
        out += QChar(kEuro);
    }
    out += QString(dec.decode(bytes.sliced(from)));
    return out;
}

QByteArray encode(QStringEncoder &enc, const QString &text)
{
    if (!enc.isValid())
        return text.toUtf8(); // never with a Qt built on ICU
    if (!text.contains(QChar(kEuro)))
        return enc.encode(text);
    QByteArray out;
    const QStringList parts = text.split(QChar(kEuro));
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (i > 0)
            out += kGbkEuroByte;
        out += QByteArray(enc.encode(parts.at(i)));
    }
    return out;
}

// Reads .yyu bytes in pieces, so a file of any size is read in bounded memory.
// A CR ends a line and an LF right after it belongs to that line end; a lone LF
// is part of the text. CR never occurs inside a GB18030 character, so lines can
// be cut before decoding; "|" can (the second byte of 東, 億, 觸 ... is 0x7C),
// so each line is decoded first and split at the character afterwards.
class CollectionReader {
public:
    void feed(QByteArrayView bytes)
    {
        if (!sawNul_ && bytes.contains('\0'))
            sawNul_ = true;
        qsizetype i = 0;
        if (afterCr_ && !bytes.isEmpty()) {
            afterCr_ = false;
            if (bytes[0] == '\n')
                i = 1;
        }
        while (i < bytes.size()) {
            const qsizetype cr = bytes.indexOf('\r', i);
            const qsizetype end = cr < 0 ? bytes.size() : cr;
            const QByteArrayView text = bytes.sliced(i, end - i);
            const qsizetype room = kMaxLineBytes - line_.size();
            if (room > 0)
                line_.append(text.first(qMin(room, text.size())));
            if (cr < 0)
                break;
            endLine();
            i = cr + 1;
            if (i == bytes.size())
                afterCr_ = true; // the LF may come with the next piece
            else if (bytes[i] == '\n')
                ++i;
        }
    }

    // Text files never hold a NUL; a file that does is something else.
    bool sawNul() const { return sawNul_; }

    SongCollection finish()
    {
        endLine();
        c_.saved = true;
        c_.playing = false;
        c_.currentIndex = 1;
        return std::move(c_);
    }

private:
    void endLine()
    {
        if (line_.isEmpty())
            return;
        const QString text = decode(dec_, line_);
        line_.clear();
        if (!text.contains(QLatin1Char('|'))) {
            c_.albumName = text;
        } else if (!c_.isFull()) {
            ++c_.count;
            SongEntry &e = c_.entry(c_.count);
            // The first three columns are all a line can use.
            const QStringList cols = text.split(QLatin1Char('|'));
            e.singer = cols.at(0);
            e.songName = cols.value(1);
            if (cols.size() >= 3) {
                e.isLocal = true;
                e.address = cols.at(2);
            }
        }
    }

    SongCollection c_;
    QStringDecoder dec_{kCodec, QStringConverter::Flag::Stateless};
    QByteArray line_;
    bool afterCr_ = false;
    bool sawNul_ = false;
};

} // namespace

SongCollection parseCollection(const QByteArray &bytes)
{
    CollectionReader reader;
    reader.feed(bytes);
    return reader.finish();
}

QByteArray serializeCollection(const SongCollection &c)
{
    QStringEncoder enc(kCodec, QStringConverter::Flag::Stateless);
    const QByteArray crlf("\r\n");
    QByteArray out = encode(enc, c.albumName) + crlf;
    for (int i = 1; i <= c.count; ++i) {
        const SongEntry &e = c.entry(i);
        QString line = e.singer + QLatin1Char('|') + e.songName;
        if (e.isLocal)
            line += QLatin1Char('|') + e.address;
        out += encode(enc, line) + crlf;
    }
    return out;
}

namespace {

// Well above the largest real collection (100 entry lines of 64 KiB), so only
// something that is not a collection is refused for its size.
constexpr qint64 kMaxFileBytes = 16 * 1024 * 1024;

void tellUser(Dialogs *dialogs, const QString &text)
{
    qCWarning(lcCollection).noquote() << text;
    if (dialogs)
        dialogs->messageBox(text, QStringLiteral("Liravo"), Dialogs::Buttons::Ok,
                            Dialogs::Icon::Warning);
}

QString notACollection(const QString &path)
{
    return QStringLiteral("“%1”不是歌集文件，没有打开。").arg(QDir::toNativeSeparators(path));
}

QString cannotRead(const QString &path, const QString &why)
{
    return QStringLiteral("无法读取歌集“%1”：\n%2").arg(QDir::toNativeSeparators(path), why);
}

} // namespace

bool loadCollection(SongCollection &c, const QString &path, Settings &settings, Dialogs *dialogs)
{
    if (!fileExists(path))
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        tellUser(dialogs, cannotRead(path, file.errorString()));
        return false;
    }
    if (file.size() > kMaxFileBytes) {
        tellUser(dialogs, notACollection(path));
        return false;
    }
    CollectionReader reader;
    QByteArray chunk(256 * 1024, Qt::Uninitialized);
    qint64 total = 0;
    for (;;) {
        const qint64 got = file.read(chunk.data(), chunk.size());
        if (got < 0) {
            // A half-read file would replace a good collection with a part of
            // one; keep the current collection instead.
            tellUser(dialogs, cannotRead(path, file.errorString()));
            return false;
        }
        if (got == 0)
            break;
        total += got;
        reader.feed(QByteArrayView(chunk.constData(), got));
        // The size check above misses a file that grows while it is read.
        if (reader.sawNul() || total > kMaxFileBytes) {
            tellUser(dialogs, notACollection(path));
            return false;
        }
    }
    SongCollection fresh = reader.finish();
    fresh.filePath = path;
    c = std::move(fresh);
    settings.store(SettingKeys::lastCollectionPath, c.filePath);
    return true;
}

namespace {

// Writes the whole file beside the old one and renames it into place only when
// complete, so a crash, a kill or a full disk never leaves half a collection.
bool writeCollectionFile(const QString &path, const QByteArray &bytes, QString *error)
{
    const QFileInfo info(path);
    // Renaming would replace even a file the user made read-only.
    if (info.exists() && !info.isWritable()) {
        *error = QStringLiteral("文件是只读的");
        return false;
    }
    if (info.isDir()) {
        *error = QStringLiteral("这是一个文件夹");
        return false;
    }
    return writeAtomically(path, bytes, error);
}

// A name typed without an extension gets ".yyu", or the file would be missing
// from the "歌集" filter of the open dialog and never found again.
QString withCollectionSuffix(const QString &path)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.suffix().isEmpty() || info.isDir() || info.fileName().isEmpty())
        return path;
    return path + QStringLiteral(".yyu");
}

} // namespace

void saveCollection(SongCollection &c, const QString &path, Dialogs &dialogs)
{
    c.albumName = dialogs.inputBox(QStringLiteral("请为你这张专辑起一个好听的名字吧！"),
                                   QStringLiteral("专辑名称"), c.albumName);
    if (c.albumName.isEmpty())
        return;
    const QString previousPath = c.filePath;
    c.filePath = withCollectionSuffix(path);
    if (path.isEmpty())
        return;
    const QString target = c.filePath;
    QString error;
    if (!writeCollectionFile(target, serializeCollection(c), &error)) {
        // The collection was not stored there, so it still belongs where it was.
        c.filePath = previousPath;
        dialogs.messageBox(QStringLiteral("歌集没有保存成功：\n%1\n\n%2").arg(target, error),
                           QStringLiteral("Liravo"), Dialogs::Buttons::Ok,
                           Dialogs::Icon::Critical);
        return;
    }
    dialogs.messageBox(QStringLiteral("已经保存！"), QStringLiteral("保存"), Dialogs::Buttons::Ok);
    c.saved = true;
}
