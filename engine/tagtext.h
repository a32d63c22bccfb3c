// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QByteArray>
#include <QString>

// Turns a tag string as the decoder library hands it over into the text the
// user expects. Chinese MP3s of the GBK era carry their titles either as raw
// GBK bytes (ID3v1, which has no encoding field) or inside ID3v2 frames that
// claim ISO-8859-1, which the decoder then widens byte by byte into U+0000..
// U+00FF. Both come back as the intended Chinese text; genuine Latin-1 text
// ("Café", "Motörhead") and proper UTF-8 stay as they are.
QString repairTagText(const QByteArray &raw);

// The GBK half of the rule on its own: the text of `bytes` read as GB18030,
// or a null QString when they do not look like Chinese text in that encoding.
QString decodeLegacyChinese(const QByteArray &bytes);
