// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

// The scraping rules as first written, one search from the top per piece;
// the one-pass MarkerCuts the program uses is checked against it.
// The text strictly between the n-th occurrence of `start` and the next `end`,
// or "" when a marker is missing. Positions follow the scraping rules the
// search and lookup parsers were written against:
//  - the first search begins at the second character, so a start marker at
//    the very beginning of the text is never found;
//  - after a miss, counting starts over at the top of the text, so asking for
//    one occurrence more than there are gives "", and the one after that the
//    first again.
// Matching is exact and case-sensitive. n below 1 gives "".
QString cutBetween(const QString &text, const QString &start, const QString &end, qint16 n);
