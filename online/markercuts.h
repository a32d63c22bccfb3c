// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "online/markerfinder.h"

#include <QList>
#include <QString>

// cutBetween(text, start, end, n) for n = 1, 2, 3 ... over one text without
// starting again from the top for each n: the start markers are found once,
// left to right, and remembered, so a walk over all of them is linear. The
// pieces are exactly cutBetween's (tests/support), wrap-around after a miss
// included.
class MarkerCuts {
public:
    MarkerCuts(const QString &text, const QString &start, const QString &end);

    QString cut(int n);
    // The piece as [from, to) in the text; false when cut(n) is "".
    bool bounds(int n, qsizetype &from, qsizetype &to);

private:
    qsizetype occurrence(int n);

    const QString &text_;
    QString start_;
    MarkerFinder ends_;
    QList<qsizetype> found_;  // start markers at index 1 or later, in order
    bool complete_ = false;
};
