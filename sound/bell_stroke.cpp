#include "bell_stroke.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace bw {

namespace {
struct Partial {
    double ratio;   // to the fundamental
    double level;   // relative amplitude
    double decayHz; // exponential decay rate (1/s)
};
// Ratios of a church-bell-like spectrum: hum, prime, minor third, fifth,
// nominal and upper partials; the higher ones fade first.
constexpr Partial kPartials[] = {
    {0.50, 0.35, 6.0},  {1.00, 1.00, 7.0},  {1.19, 0.45, 9.0},  {1.50, 0.30, 11.0},
    {2.00, 0.55, 12.0}, {2.74, 0.20, 18.0}, {3.76, 0.10, 25.0},
};
constexpr double kAttackSeconds = 0.003;
} // namespace

std::vector<std::int16_t> synthesizeBellStroke(int sampleRate, BellStrokeShape shape) {
    const auto count = static_cast<std::size_t>(shape.seconds * sampleRate);
    std::vector<double> wave(count);
    for (std::size_t i = 0; i < count; ++i) {
        const double t = double(i) / sampleRate;
        double v = 0;
        for (const Partial& p : kPartials)
            v += p.level * std::exp(-p.decayHz * t) *
                 std::sin(2 * std::numbers::pi * shape.fundamentalHz * p.ratio * t);
        const double attack = std::min(1.0, t / kAttackSeconds);
        // A short fade at the end, so the stroke stops without a click.
        const double tail = std::min(1.0, (shape.seconds - t) / 0.02);
        wave[i] = v * attack * tail;
    }
    double max = 0;
    for (double v : wave)
        max = std::max(max, std::abs(v));
    const double gain = max > 0 ? shape.peak * 32767.0 / max : 0;
    std::vector<std::int16_t> samples(count);
    for (std::size_t i = 0; i < count; ++i)
        samples[i] = static_cast<std::int16_t>(std::lround(wave[i] * gain));
    return samples;
}

void mixSaturating(std::int16_t* mix, std::size_t count, const std::vector<std::int16_t>& voice,
                   std::size_t offset) {
    if (offset >= voice.size()) return;
    const std::size_t n = std::min(count, voice.size() - offset);
    for (std::size_t i = 0; i < n; ++i) {
        const int sum = int(mix[i]) + int(voice[offset + i]);
        mix[i] = static_cast<std::int16_t>(std::clamp(sum, -32768, 32767));
    }
}

} // namespace bw
