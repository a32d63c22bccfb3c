// SPDX-License-Identifier: GPL-3.0-or-later
#include "playback/playbackadvance.h"


#include <cfenv>
#include <chrono>
#include <cmath>
#include <random>

namespace {
// Restores the caller's rounding mode however the draw leaves.
struct RoundToNearest {
    int saved = std::fegetround();
    RoundToNearest() { std::fesetround(FE_TONEAREST); }
    ~RoundToNearest() { std::fesetround(saved); }
};
} // namespace

int PlaybackAdvance::randomIndexFor(float r, int count)
{
    // Kept in single precision on purpose: the rounding of the product decides
    // which neighbour a draw near a half lands on.
    volatile float n = r * float(count - 1) + 1.0f;
    RoundToNearest nearest;
    return int(std::nearbyint(float(n)));
}

int PlaybackAdvance::drawRandomIndex(int count)
{
    // Seeded from the clock on every draw; 24 random bits make a float in
    // [0, 1) that can never round up to 1.
    std::mt19937 gen(static_cast<std::mt19937::result_type>(
        std::chrono::high_resolution_clock::now().time_since_epoch().count()));
    const float r = float(gen() >> 8) * (1.0f / 16777216.0f);
    return randomIndexFor(r, count);
}
