// SPDX-License-Identifier: GPL-3.0-or-later
#include "collection/pinyin.h"

#include "base/songcollection.h"

#include <QCollator>
#include <QLocale>
#include <QLoggingCategory>
#include <QMutex>
#include <QStringView>

#include <unicode/translit.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

Q_LOGGING_CATEGORY(lcPinyin, "liravo.pinyin")

constexpr qsizetype kMaxPinyinQuery = 64;

// ICU's transliterator costs milliseconds to build and tens of microseconds
// per call, and one instance must not be used by two threads at once. Han-Latin
// reads each character on its own, so the reading of each character is kept:
// a song list holds a few hundred distinct characters, after which no call
// reaches ICU at all.
class CharReader {
public:
    static CharReader &instance()
    {
        static CharReader reader;
        return reader;
    }

    // The folded ASCII reading of one code point above ASCII.
    QString read(char32_t cp)
    {
        QMutexLocker lock(&mutex_);
        if (const auto it = cache_.constFind(cp); it != cache_.constEnd())
            return *it;
        QString out;
        if (translit_) {
            icu::UnicodeString u{UChar32(cp)};
            translit_->transliterate(u);
            out = QString(reinterpret_cast<const QChar *>(u.getBuffer()), u.length()).trimmed().toLower();
        }
        if (cache_.size() >= kMaxCached)
            cache_.clear();
        cache_.insert(cp, out);
        return out;
    }

private:
    // Far more than the characters of any song list; only input made to
    // grow the table reaches it.
    static constexpr qsizetype kMaxCached = 50000;

    CharReader()
    {
        UErrorCode status = U_ZERO_ERROR;
        translit_.reset(icu::Transliterator::createInstance("Han-Latin; Latin-ASCII", UTRANS_FORWARD,
                                                            status));
        if (U_FAILURE(status)) {
            qCWarning(lcPinyin) << "no Han-Latin transliterator:" << u_errorName(status);
            translit_.reset();
        }
    }

    QMutex mutex_;
    std::unique_ptr<icu::Transliterator> translit_;
    QHash<char32_t, QString> cache_;
};

bool isAsciiWordChar(char32_t c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

bool isAsciiWord(QStringView s)
{
    return !s.isEmpty() && std::all_of(s.begin(), s.end(), [](QChar c) { return isAsciiWordChar(c.unicode()); });
}

QList<PinyinName::Word> wordsOf(const QString &text)
{
    QList<PinyinName::Word> words;
    PinyinName::Word run;
    auto endRun = [&] {
        if (!run.latin.isEmpty())
            words.append(std::move(run));
        run = {};
    };
    for (const char32_t cp : text.toUcs4()) {
        if (cp < 0x80) {
            if (isAsciiWordChar(cp)) {
                run.source += QChar(char16_t(cp)).toCaseFolded();
                run.latin += QChar(char16_t(cp)).toLower();
            } else {
                endRun();
            }
            continue;
        }
        const QString source = QString::fromUcs4(&cp, 1).toCaseFolded();
        const QString latin = CharReader::instance().read(cp);
        if (QChar::script(cp) == QChar::Script_Han) {
            endRun();
            words.append({source, isAsciiWord(latin) ? latin : QString()});
        } else if (isAsciiWord(latin)) {
            run.source += source;
            run.latin += latin;
        } else {
            endRun();
        }
    }
    endRun();
    return words;
}

} // namespace

void preparePinyin()
{
    CharReader::instance();
}

QString pinyinOf(const QString &text)
{
    QString out;
    for (const PinyinName::Word &w : wordsOf(text)) {
        if (w.latin.isEmpty())
            continue;
        if (!out.isEmpty())
            out += QLatin1Char(' ');
        out += w.latin;
    }
    return out;
}

QString initialsOf(const QString &text)
{
    QString out;
    for (const PinyinName::Word &w : wordsOf(text)) {
        if (!w.latin.isEmpty())
            out += w.latin.front();
    }
    return out;
}

PinyinName::PinyinName(const QString &text) : folded_(text.toCaseFolded()), words_(wordsOf(text)) {}

bool PinyinName::matches(const QString &query) const
{
    const QString q = query.simplified().toCaseFolded();
    if (q.isEmpty() || folded_.contains(q))
        return true;
    QString compact = q;
    compact.remove(QLatin1Char(' '));
    // Nobody types more into a search box; a longer text (pasted) is looked
    // for as it is only, which keeps the work below small for any name.
    if (compact.size() > kMaxPinyinQuery)
        return false;
    const qsizetype n = words_.size();
    const qsizetype m = compact.size();
    // from[k] (for the word i being looked at): the query from position k on
    // can be matched by words i, i+1, ... Worked out from the last word back,
    // so a name of any length costs n * m steps of at most one syllable each
    // and two rows of memory.
    std::vector<char> next(std::size_t(m + 1), 0), from(std::size_t(m + 1), 0);
    next[std::size_t(m)] = 1;
    for (qsizetype i = n - 1; i >= 0; --i) {
        const Word &w = words_.at(i);
        from[std::size_t(m)] = 1;
        for (qsizetype k = m - 1; k >= 0; --k) {
            bool ok = !w.source.isEmpty() && QStringView(compact).sliced(k).startsWith(w.source)
                      && next[std::size_t(k + w.source.size())];
            for (qsizetype p = 0; !ok && p < w.latin.size() && k + p < m && compact.at(k + p) == w.latin.at(p); ++p)
                ok = next[std::size_t(k + p + 1)];
            from[std::size_t(k)] = ok;
        }
        if (from[0])
            return true;
        std::swap(from, next);
    }
    return false;
}

bool matchesPinyin(const QString &name, const QString &query)
{
    return PinyinName(name).matches(query);
}

const PinyinName &EntryFinder::nameOf(const QString &text)
{
    auto it = cache_.find(text);
    if (it == cache_.end()) {
        // Names come and go as the list is edited; a cache that only grows
        // is dropped now and then rather than kept in step.
        if (cache_.size() > 4 * SongCollection::kCapacity)
            cache_.clear();
        it = cache_.insert(text, PinyinName(text));
    }
    return *it;
}

QList<int> EntryFinder::find(const SongCollection &c, const QString &query)
{
    QList<int> found;
    for (int i = 1; i <= c.count; ++i) {
        const SongEntry &e = c.entry(i);
        if (nameOf(e.songName).matches(query) || nameOf(e.singer).matches(query))
            found.append(i);
    }
    return found;
}

QList<int> sortedEntryOrder(const SongCollection &c, SortBy by)
{
    // Chinese collation orders Chinese by pinyin but puts every Latin name
    // after all of them; comparing the readings first interleaves the two,
    // and the collation then orders characters of one reading (and case).
    // One collator per thread: building one costs, sharing one is unsafe.
    thread_local QCollator collator{QLocale(QLocale::Chinese, QLocale::China)};
    struct Keyed {
        int number;
        QString reading;
        QString text;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(std::size_t(c.count));
    for (int i = 1; i <= c.count; ++i) {
        const QString &text = by == SortBy::Name ? c.entry(i).songName : c.entry(i).singer;
        keyed.push_back({i, pinyinOf(text), text});
    }
    std::stable_sort(keyed.begin(), keyed.end(), [](const Keyed &a, const Keyed &b) {
        if (const int r = collator.compare(a.reading, b.reading))
            return r < 0;
        return collator.compare(a.text, b.text) < 0;
    });
    QList<int> order;
    order.reserve(c.count);
    for (const Keyed &k : keyed)
        order.append(k.number);
    return order;
}

void sortEntries(SongCollection &c, SortBy by)
{
    const QList<int> order = sortedEntryOrder(c, by);
    const auto old = c.entries;
    qint16 current = 0;
    for (int i = 0; i < order.size(); ++i) {
        c.entries[std::size_t(i)] = old[std::size_t(order[i] - 1)];
        if (order[i] == c.currentIndex)
            current = qint16(i + 1);
    }
    if (c.currentIndex >= 1 && c.currentIndex <= c.count)
        c.currentIndex = current;
}
