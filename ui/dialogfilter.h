// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QStringList>

// The windows describe file types as "description|pattern;pattern|..." (pairs
// joined by "|", wildcards joined by ";", a trailing ";" allowed). Qt's file
// dialog wants one "description (pattern pattern)" entry per pair.
//
// An empty filter gives no entries (the dialog then shows every file); a
// description without a pattern, or with only separators, matches every file.
QStringList qtNameFilters(const QString &filter);
