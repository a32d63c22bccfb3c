// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

// The first occurrence of one marker at or after a position, for callers
// that ask at positions that mostly grow: the last answer is reused while it
// still lies ahead, so a walk over a whole text costs one pass, even when the
// marker is rare or missing (a plain indexOf per step would rescan the rest
// of the text each time).
class MarkerFinder {
public:
    MarkerFinder(const QString &text, QString marker) : text_(text), marker_(std::move(marker)) {}

    // 0-based index of the first occurrence starting at or after `from`, or -1.
    qsizetype at(qsizetype from);
    qsizetype markerSize() const { return marker_.size(); }

private:
    const QString &text_;
    QString marker_;
    qsizetype searchedFrom_ = -1;  // where the cached answer was searched from
    qsizetype found_ = -1;
    qsizetype noneFrom_ = -1;      // no occurrence starts at or after this
};
