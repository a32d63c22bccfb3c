#include "collection/yyufile.h"

#include "collection/fileexists.h"
#include "collection/songcollection.h"
#include "core/settings.h"
#include "platform/dialogs.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <cstdio>

namespace {

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
// is part of the text. "|" and CR never occur inside a GB18030 multi-byte
// character, so lines and columns can be cut before decoding.
class CollectionReader {
public:
    void feed(QByteArrayView bytes)
    {
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
            if (!hasBar_ && text.contains('|'))
                hasBar_ = true;
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
        if (line_.isEmpty() && !hasBar_) {
            line_.clear();
            return;
        }
        if (!hasBar_) {
            c_.albumName = decode(dec_, line_);
        } else if (!c_.isFull()) {
            ++c_.count;
            SongEntry &e = c_.entry(c_.count);
            const QList<QByteArrayView> cols = splitBars(line_);
            e.singer = decode(dec_, cols.value(0));
            e.songName = decode(dec_, cols.value(1));
            if (cols.size() >= 3) {
                e.isLocal = true;
                e.address = decode(dec_, cols.at(2));
            }
        }
        line_.clear();
        hasBar_ = false;
    }

    // The first three columns are all a line can use.
    static QList<QByteArrayView> splitBars(const QByteArray &line)
    {
        QList<QByteArrayView> cols;
        qsizetype from = 0;
        while (cols.size() < 3) {
            const qsizetype bar = line.indexOf('|', from);
            if (bar < 0) {
                cols.append(QByteArrayView(line).sliced(from));
                break;
            }
            cols.append(QByteArrayView(line).sliced(from, bar - from));
            from = bar + 1;
        }
        return cols;
    }

    SongCollection c_;
    QStringDecoder dec_{kCodec, QStringConverter::Flag::Stateless};
    QByteArray line_;
    bool hasBar_ = false;
    bool afterCr_ = false;
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

void loadCollection(SongCollection &c, const QString &path, Settings &settings)
{
    if (!fileExists(path))
        return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "Liravo: cannot read %s: %s\n", QFile::encodeName(path).constData(),
                     file.errorString().toLocal8Bit().constData());
        return;
    }
    CollectionReader reader;
    QByteArray chunk(256 * 1024, Qt::Uninitialized);
    for (;;) {
        const qint64 got = file.read(chunk.data(), chunk.size());
        if (got < 0) {
            // A half-read file would replace a good collection with a part of
            // one; keep the current collection instead.
            std::fprintf(stderr, "Liravo: cannot read %s: %s\n",
                         QFile::encodeName(path).constData(),
                         file.errorString().toLocal8Bit().constData());
            return;
        }
        if (got == 0)
            break;
        reader.feed(QByteArrayView(chunk.constData(), got));
    }
    SongCollection fresh = reader.finish();
    fresh.filePath = path;
    c = std::move(fresh);
    settings.save(Settings::fixedApp(), QStringLiteral("歌集"), QStringLiteral("最后的歌集地址"),
                  c.filePath);
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
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = file.errorString();
        return false;
    }
    if (file.write(bytes) != bytes.size()) {
        *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace

void saveCollection(SongCollection &c, const QString &path, Dialogs &dialogs)
{
    c.albumName = dialogs.inputBox(QStringLiteral("请为你这张专辑起一个好听的名字吧！"),
                                   QStringLiteral("专辑名称"), c.albumName);
    if (c.albumName.isEmpty())
        return;
    const QString previousPath = c.filePath;
    c.filePath = path;
    if (path.isEmpty())
        return;
    QString error;
    if (!writeCollectionFile(path, serializeCollection(c), &error)) {
        // The collection was not stored there, so it still belongs where it was.
        c.filePath = previousPath;
        dialogs.messageBox(QStringLiteral("歌集没有保存成功：\n%1\n\n%2").arg(path, error),
                           QStringLiteral("Liravo"), Dialogs::Buttons::Ok,
                           Dialogs::Icon::Critical);
        return;
    }
    dialogs.messageBox(QStringLiteral("已经保存！"), QStringLiteral("保存"), Dialogs::Buttons::Ok);
    c.saved = true;
}
