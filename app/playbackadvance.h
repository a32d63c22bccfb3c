#pragma once
#include <functional>

class PlayMode;
struct AppContext;

// How playback goes on by itself: what the play mode does once a song has
// ended, and the random song draw.
namespace PlaybackAdvance {
// The entry the random song command plays for a draw r in [0, 1): the
// single-precision r*(count-1)+1 rounded half to even, so the first and the
// last entry come up half as often as each one between them.
int randomIndexFor(float r, int count);
// randomIndexFor with a draw seeded from the clock.
int drawRandomIndex(int count);
// When the current song ended (or never started) while the collection
// plays, goes on as the mode says; shuffle calls playRandom.
void afterSongEnded(const PlayMode &mode, AppContext &ctx, const std::function<void()> &playRandom);
} // namespace PlaybackAdvance
