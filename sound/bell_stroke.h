#pragma once
// One stroke of a small struck bell, synthesised: a few inharmonic partials,
// each with its own exponential decay, after a short attack.

#include <chrono>
#include <cstdint>
#include <vector>

namespace bw {

struct BellStrokeShape {
    double seconds = 0.55;      // length of the stroke
    double fundamentalHz = 880; // the "prime" partial
    double peak = 0.55;         // peak level, as a share of full scale
};

// Quiet left between two strokes however soon the second is asked for, so
// that they are heard as two; every output keeps it.
inline constexpr std::chrono::milliseconds kQuietBetweenStrokes{200};

// Mono samples at the given rate, full scale 32767, never clipping.
std::vector<std::int16_t> synthesizeBellStroke(int sampleRate, BellStrokeShape shape = {});

// Adds `voice` into `mix` at `offset`, saturating instead of wrapping.
void mixSaturating(std::int16_t* mix, std::size_t count, const std::vector<std::int16_t>& voice,
                   std::size_t offset);

} // namespace bw
