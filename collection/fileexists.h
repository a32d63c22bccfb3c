// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

// True only for a full path (beginning with "/") that names an
// existing regular, non-hidden file spelled with exactly that letter case.
// A path in double quotes is taken without them.
bool fileExists(const QString &path);
