// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

// Opens a web page in the desktop's browser. Never blocks start-up: a missing
// browser is reported by the return value only.
class Browser {
public:
    virtual ~Browser() = default;
    virtual bool openUrl(const QString &url) = 0;
};
