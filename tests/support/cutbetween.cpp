// SPDX-License-Identifier: GPL-3.0-or-later
#include "cutbetween.h"

QString cutBetween(const QString &text, const QString &start, const QString &end, qint16 n)
{
    // With no occurrence asked for, no start marker was found either.
    if (text.isEmpty() || n < 1)
        return {};

    // p is a 1-based position, 0 meaning "not found". Searching "at or after
    // 1-based position p + 1" is a search from 0-based index p.
    qsizetype p = 1;
    for (int i = 0; i < n; ++i) {
        const qsizetype idx = text.indexOf(start, p);
        p = idx < 0 ? 0 : idx + 1;
    }
    if (p == 0)
        return {};

    const qsizetype q0 = text.indexOf(end, p);
    if (q0 < 0)
        return {};
    const qsizetype q = q0 + 1;
    const qsizetype length = q - p - start.size();
    // Only an end marker that can begin inside the start marker gets here;
    // no caller passes one, but a hostile page must not make us read backwards.
    if (length <= 0)
        return {};
    return text.mid(p - 1 + start.size(), length);
}
