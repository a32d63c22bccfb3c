// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QHash>
#include <QList>
#include <QString>

struct SongCollection;

// Pinyin for Chinese song names and singers, so "zjl", "zhoujielun" or
// "daoxiang" find 周杰伦 and 稻香, and lists sort the way a Chinese reader
// looks them up. Every function here is safe to call from any thread.

// Builds ICU's transliterator ahead of the first reading: it costs about
// 135 ms of CPU once. Call it from a worker at start, so the first key typed
// into a search box does not wait for it.
void preparePinyin();

// The words of a text in plain lower-case ASCII, one space apart: a syllable
// for each Chinese character, letters and digits of other scripts as they
// run, accents and full-width forms folded, everything else dropped.
// "稻香 (Live版)" -> "dao xiang live ban".
QString pinyinOf(const QString &text);
// The first letter of each of those words: "周杰伦" -> "zjl".
QString initialsOf(const QString &text);

// A text read once for matching: its words and what each came from.
class PinyinName {
public:
    PinyinName() = default;
    explicit PinyinName(const QString &text);

    // True for an empty query, a plain case-insensitive substring
    // ("杰伦", "LIVE"), and pinyin running over consecutive words where each
    // word but the last contributes its whole syllable, a prefix of it or
    // the character itself: "zjl", "zhoujielun", "zhou jl", "jielun", "周jl".
    bool matches(const QString &query) const;

    struct Word {
        QString source; // case-folded
        QString latin;  // lower-case ASCII, empty for a character ICU cannot read
    };
    const QList<Word> &words() const { return words_; }

private:
    QString folded_;
    QList<Word> words_;
};

bool matchesPinyin(const QString &name, const QString &query);

// Finds entries as the user types: keeps each name's and singer's reading,
// so the letters typed after the first cost no transliteration.
class EntryFinder {
public:
    // The numbers (1-based, in list order) of the entries whose name or
    // singer matches the query.
    QList<int> find(const SongCollection &c, const QString &query);

private:
    const PinyinName &nameOf(const QString &text);
    QHash<QString, PinyinName> cache_;
};

enum class SortBy { Name, Singer };

// The entry numbers (1-based) of c in pinyin order of the name or the singer:
// Chinese and Latin names interleave letter by letter (阿杜, abc, 爱, Beyond,
// 稻香), the same reading orders by Chinese collation (zh_CN), and entries
// with equal keys keep their order.
QList<int> sortedEntryOrder(const SongCollection &c, SortBy by);
// Puts c's entries in that order; currentIndex follows its entry.
void sortEntries(SongCollection &c, SortBy by);
