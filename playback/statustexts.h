// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

struct SongCollection;
enum class PlayState : int;

// The words the main window and the tray show about what plays, as plain
// functions of the collection, the engine's play state and the settings.
namespace StatusTexts {
// The play state as the caption names it ("播放中..."); empty for the states
// it does not name.
QString stateText(PlayState playState);
// "<song>[<state>][<top caption>]" while an entry is current, else the top caption.
QString caption(const SongCollection &c, PlayState playState, const QString &topCaption);
// The tray tooltip: what plays, the maker's site for an untitled song (the
// file's name without one), or the program's reminder that nothing plays.
QString tooltip(const SongCollection &c, PlayState playState, const QString &programName,
                const QString &siteUrl);
// The last part of a path or address without its extension.
QString fileBaseName(const QString &address);
} // namespace StatusTexts
