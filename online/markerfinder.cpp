// SPDX-License-Identifier: GPL-3.0-or-later
#include "online/markerfinder.h"

qsizetype MarkerFinder::at(qsizetype from)
{
    // The cached answer is the first occurrence at or after searchedFrom_, so
    // it is also the first at or after any later `from` it does not precede.
    if (searchedFrom_ >= 0 && from >= searchedFrom_ && (found_ < 0 || found_ >= from))
        return found_;
    // Walks that wrap around ask again behind the cached answer; what lies
    // past the last occurrence is known to hold none.
    if (noneFrom_ >= 0 && from >= noneFrom_)
        return -1;
    searchedFrom_ = from;
    found_ = text_.indexOf(marker_, from);
    if (found_ < 0 && (noneFrom_ < 0 || from < noneFrom_))
        noneFrom_ = from;
    return found_;
}
