#pragma once
// A colour written by the engine: either a packed 24-bit RGB value
// (red + 256 * green + 65536 * blue) or the desktop's button-face colour,
// which follows the user's colour scheme and so has no fixed RGB value.

#include <cstdint>

namespace bw {

class Colour {
  public:
    static constexpr Colour rgb(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
        return Colour(false, std::uint32_t(r) | std::uint32_t(g) << 8 | std::uint32_t(b) << 16);
    }
    static constexpr Colour buttonFace() { return Colour(true, 0); }

    constexpr bool isButtonFace() const { return system_; }
    constexpr std::uint32_t packed() const { return packed_; }
    constexpr std::uint8_t red() const { return packed_ & 0xFF; }
    constexpr std::uint8_t green() const { return (packed_ >> 8) & 0xFF; }
    constexpr std::uint8_t blue() const { return (packed_ >> 16) & 0xFF; }

    constexpr bool operator==(const Colour&) const = default;

  private:
    constexpr Colour(bool system, std::uint32_t packed) : system_(system), packed_(packed) {}
    bool system_;
    std::uint32_t packed_;
};

} // namespace bw
