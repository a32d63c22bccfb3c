// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The random song draw.
namespace PlaybackAdvance {
// The entry the random song command plays for a draw r in [0, 1): the
// single-precision r*(count-1)+1 rounded half to even, so the first and the
// last entry come up half as often as each one between them.
int randomIndexFor(float r, int count);
// randomIndexFor with a draw seeded from the clock.
int drawRandomIndex(int count);
} // namespace PlaybackAdvance
