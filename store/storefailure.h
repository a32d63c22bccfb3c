// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

// Why the settings store at path refused a read or write, in the user's
// words: an SQLite result code (primary or extended) mapped to its cause in
// Chinese, the file named. The box that tells the user quotes this.
QString storeFailureText(int sqliteCode, const QString &path);
