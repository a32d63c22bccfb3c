// SPDX-License-Identifier: GPL-3.0-or-later
#include "online/markercuts.h"

MarkerCuts::MarkerCuts(const QString &text, const QString &start, const QString &end)
    : text_(text), start_(start), ends_(text, end)
{
}

qsizetype MarkerCuts::occurrence(int n)
{
    if (n < 1 || text_.isEmpty())
        return -1;
    // The first search begins at the second character.
    while (!complete_ && found_.size() < n) {
        const qsizetype idx =
            text_.indexOf(start_, found_.isEmpty() ? 1 : found_.constLast() + 1);
        if (idx < 0)
            complete_ = true;
        else
            found_.append(idx);
    }
    const qsizetype a = found_.size();
    if (n <= a)
        return found_[n - 1];
    // After the miss the search starts over at the top, where a marker at
    // index 0 now counts; then the same markers follow, then a miss again.
    const bool atTop = text_.startsWith(start_);
    const qsizetype period = a + (atTop ? 1 : 0) + 1;
    const qsizetype r = (n - a - 1) % period;
    if (r == 0)
        return -1;
    if (atTop)
        return r == 1 ? 0 : found_[r - 2];
    return found_[r - 1];
}

bool MarkerCuts::bounds(int n, qsizetype &from, qsizetype &to)
{
    const qsizetype s = occurrence(n);
    if (s < 0)
        return false;
    const qsizetype e = ends_.at(s + 1);
    if (e < 0 || e - s - start_.size() <= 0)
        return false;
    from = s + start_.size();
    to = e;
    return true;
}

QString MarkerCuts::cut(int n)
{
    qsizetype from = 0, to = 0;
    return bounds(n, from, to) ? text_.mid(from, to - from) : QString();
}
