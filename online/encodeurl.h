// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

// Percent-encodes every non-ASCII UTF-16 code unit of a whole URL as UTF-8
// ("%E7%A8%BB"), leaving all ASCII (spaces, "&", "%", "#" ...) as it is, so
// the URL's structure survives. Each code unit is encoded on its own: the two
// halves of a surrogate pair become two three-byte groups, as the services
// this talks to have always received them.
QString encodeUrl(const QString &text);
