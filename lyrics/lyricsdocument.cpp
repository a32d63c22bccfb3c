// SPDX-License-Identifier: GPL-3.0-or-later
#include "lyrics/lyricsdocument.h"

#include <QStringDecoder>
#include <QStringView>

#include <algorithm>

Q_LOGGING_CATEGORY(lcLyrics, "liravo.lyrics", QtWarningMsg)

namespace {

const QString kTooLarge = QStringLiteral("歌词文件过大，未能显示");
const QString kTooManyLines = QStringLiteral("歌词行数过多，未能显示");
const QString kNotText = QStringLiteral("歌词文件的编码无法识别");

// Whole digits of `s`, at most `maxDigits` of them; -1 when `s` is not that.
qint64 digits(QStringView s, int maxDigits)
{
    if (s.isEmpty() || s.size() > maxDigits)
        return -1;
    qint64 v = 0;
    for (QChar c : s) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return -1;
        v = v * 10 + (c.unicode() - '0');
    }
    return v;
}

// A fraction of a second written with 1 to 3 digits: tenths, hundredths or ms.
qint64 fractionMs(QStringView s)
{
    const qint64 v = digits(s, 3);
    if (v < 0)
        return -1;
    return s.size() == 1 ? v * 100 : s.size() == 2 ? v * 10 : v;
}

// The time in a tag's inside: mm:ss, mm:ss.x(xx), mm:ss:xx, h:mm:ss.xx.
// -1 when it is no time.
qint64 parseTime(QStringView tag)
{
    tag = tag.trimmed();
    const QList<QStringView> parts = tag.split(QLatin1Char(':'));
    if (parts.size() < 2 || parts.size() > 3)
        return -1;
    qint64 hours = 0, minutes, seconds, frac = 0;
    QStringView secPart;
    if (parts.size() == 3 && parts[2].contains(QLatin1Char('.'))) {
        hours = digits(parts[0], 3);
        minutes = digits(parts[1], 2);
        secPart = parts[2];
        if (hours < 0 || minutes < 0 || minutes > 59)
            return -1;
    } else {
        minutes = digits(parts[0], 5);
        if (minutes < 0)
            return -1;
        secPart = parts[1];
        if (parts.size() == 3) { // mm:ss:xx, hundredths after a colon
            frac = digits(parts[2], 2);
            if (frac < 0)
                return -1;
            frac *= parts[2].size() == 1 ? 100 : 10;
        }
    }
    const qsizetype dot = secPart.indexOf(QLatin1Char('.'));
    if (dot >= 0) {
        frac = fractionMs(secPart.mid(dot + 1));
        secPart = secPart.left(dot);
        if (frac < 0)
            return -1;
    }
    seconds = digits(secPart, 2);
    if (seconds < 0 || seconds > 59)
        return -1;
    return ((hours * 60 + minutes) * 60 + seconds) * 1000 + frac;
}

// [offset:+500], [offset: -200]: milliseconds, sign optional.
bool parseOffset(QStringView value, qint64 *ms)
{
    value = value.trimmed();
    bool negative = false;
    if (value.startsWith(QLatin1Char('+')) || value.startsWith(QLatin1Char('-'))) {
        negative = value.front() == QLatin1Char('-');
        value = value.mid(1).trimmed();
    }
    const qint64 v = digits(value, 9);
    if (v < 0)
        return false;
    *ms = negative ? -v : v;
    return true;
}

// Enhanced LRC puts <mm:ss.xx> before each word; the window shows the words.
QString withoutWordTimes(QStringView text)
{
    QString out;
    out.reserve(text.size());
    qsizetype i = 0;
    while (i < text.size()) {
        if (text[i] == QLatin1Char('<')) {
            // Looked for only a few characters ahead: a line of many '<'
            // without '>' must not cost a scan to its end for each one.
            const qsizetype close = text.mid(i + 1, 16).indexOf(QLatin1Char('>'));
            if (close >= 0 && parseTime(text.mid(i + 1, close)) >= 0) {
                i += close + 2;
                continue;
            }
        }
        out += text[i++];
    }
    return out;
}

struct Timed {
    qint64 timeMs;
    QString text;
};

} // namespace

int LyricsDocument::lineAt(qint64 positionMs) const
{
    if (!synced || lines.isEmpty())
        return -1;
    // The first line starting after the position; the one before it is current.
    auto it = std::upper_bound(lines.cbegin(), lines.cend(), positionMs,
                               [](qint64 pos, const LyricsLine &l) { return pos < l.timeMs; });
    return int(it - lines.cbegin()) - 1;
}

QString LyricsDocument::plainText() const
{
    QString out;
    for (const LyricsLine &l : lines) {
        out += l.text + QLatin1Char('\n');
        if (!l.translation.isEmpty())
            out += l.translation + QLatin1Char('\n');
    }
    if (out.endsWith(QLatin1Char('\n')))
        out.chop(1);
    return out;
}

bool decodeLyricsBytes(const QByteArray &bytes, QString *text)
{
    // Stateless: a character cut off at the end is an error, not a silent drop.
    auto decode = [text](QStringDecoder &&d, QByteArrayView data) {
        if (!d.isValid())
            return false;
        *text = d.decode(data);
        return !d.hasError();
    };
    using F = QStringDecoder::Flag;
    const QByteArrayView all(bytes);
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return decode(QStringDecoder(QStringDecoder::Utf8, F::Stateless), all.sliced(3));
    // Qt's UTF-16 decoder keeps an odd last byte for a next call that never
    // comes, without an error: a file cut in a character is caught here.
    if ((bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) && bytes.size() % 2)
        return false;
    if (bytes.startsWith("\xFF\xFE"))
        return decode(QStringDecoder(QStringDecoder::Utf16LE, F::Stateless), all.sliced(2));
    if (bytes.startsWith("\xFE\xFF"))
        return decode(QStringDecoder(QStringDecoder::Utf16BE, F::Stateless), all.sliced(2));
    // GB18030, never GB2312: GBK's extra characters (镕, 葉) must survive.
    return decode(QStringDecoder(QStringDecoder::Utf8, F::Stateless), all)
        || decode(QStringDecoder("GB18030", F::Stateless), all)
        || decode(QStringDecoder("Big5", F::Stateless), all);
}

LyricsDocument parseLyricsBytes(const QByteArray &bytes)
{
    LyricsDocument doc;
    if (bytes.size() > kMaxLyricsBytes) {
        qCWarning(lcLyrics) << "refused: lyrics of" << bytes.size() << "bytes, more than" << kMaxLyricsBytes;
        doc.problem = kTooLarge;
        return doc;
    }
    QString text;
    if (!decodeLyricsBytes(bytes, &text)) {
        qCWarning(lcLyrics) << "refused: lyrics in no known encoding (or cut short)";
        doc.problem = kNotText;
        return doc;
    }
    return parseLyrics(text);
}

LyricsDocument parseLyrics(const QString &text)
{
    LyricsDocument doc;
    // UTF-16 units stand in for bytes here; embedded text has no file size.
    if (text.size() > kMaxLyricsBytes) {
        qCWarning(lcLyrics) << "refused: lyrics of" << text.size() << "characters";
        doc.problem = kTooLarge;
        return doc;
    }
    QString all = text;
    all.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    all.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (all.startsWith(QChar(0xFEFF)))
        all.remove(0, 1);
    QList<QStringView> rows = QStringView(all).split(QLatin1Char('\n'));
    if (all.endsWith(QLatin1Char('\n')))
        rows.removeLast(); // the final newline ends a line, it starts none
    if (rows.size() > kMaxLyricsLines) {
        qCWarning(lcLyrics) << "refused: lyrics of" << rows.size() << "lines, more than" << kMaxLyricsLines;
        doc.problem = kTooManyLines;
        return doc;
    }

    QList<Timed> timed;
    QStringList plain;
    for (QStringView row : rows) {
        row = row.trimmed();
        QList<qint64> times;
        bool idTag = false;
        while (row.startsWith(QLatin1Char('['))) {
            const qsizetype close = row.indexOf(QLatin1Char(']'));
            if (close < 0)
                break;
            const QStringView inside = row.mid(1, close - 1);
            const qint64 t = parseTime(inside);
            if (t >= 0) {
                times += t;
            } else if (times.isEmpty()) {
                const qsizetype colon = inside.indexOf(QLatin1Char(':'));
                if (colon <= 0 || !inside.front().isLetter())
                    break; // "[Chorus]", "[00:61]": text, not a tag
                const QString key = inside.left(colon).trimmed().toString().toLower();
                const QStringView value = inside.mid(colon + 1).trimmed();
                if (key == u"ti") doc.title = value.toString();
                else if (key == u"ar") doc.artist = value.toString();
                else if (key == u"al") doc.album = value.toString();
                else if (key == u"by") doc.by = value.toString();
                else if (key == u"length") doc.lengthMs = qMax<qint64>(0, parseTime(value));
                else if (key == u"offset") parseOffset(value, &doc.offsetMs);
                idTag = true;
            } else {
                break;
            }
            row = row.mid(close + 1);
        }
        if (times.isEmpty()) {
            if (!idTag)
                plain += row.toString();
            continue;
        }
        const QString words = withoutWordTimes(row).trimmed();
        for (qint64 t : times)
            timed += Timed{t, words};
    }

    if (timed.isEmpty()) {
        // No time tags: the text as it stands, without the blank lines around it.
        while (!plain.isEmpty() && plain.front().isEmpty())
            plain.removeFirst();
        while (!plain.isEmpty() && plain.back().isEmpty())
            plain.removeLast();
        for (const QString &l : plain)
            doc.lines += LyricsLine{-1, l, {}};
        return doc;
    }

    doc.synced = true;
    std::stable_sort(timed.begin(), timed.end(),
                     [](const Timed &a, const Timed &b) { return a.timeMs < b.timeMs; });
    for (qsizetype i = 0; i < timed.size();) {
        // Texts sharing a time: the first is the line, the next its translation.
        const qint64 t = timed[i].timeMs;
        LyricsLine line{qMax<qint64>(0, t - doc.offsetMs), {}, {}};
        for (; i < timed.size() && timed[i].timeMs == t; ++i) {
            const QString &words = timed[i].text;
            if (words.isEmpty())
                continue;
            if (line.text.isEmpty())
                line.text = words;
            else if (line.translation.isEmpty())
                line.translation = words;
            else
                line.translation += QLatin1Char(' ') + words;
        }
        // A large negative offset can push several lines to 0; the latest wins.
        if (!doc.lines.isEmpty() && doc.lines.back().timeMs == line.timeMs)
            doc.lines.back() = line;
        else
            doc.lines += line;
    }
    return doc;
}
