#pragma once
// 16-bit signed arithmetic that refuses to wrap. Every sum, difference and
// product on the session record and on geometry goes through these, so an
// out-of-range value abandons the handler instead of corrupting the count.

#include <cstdint>
#include <stdexcept>

namespace bw {

using i16 = std::int16_t;

class OverflowError : public std::overflow_error {
  public:
    OverflowError() : std::overflow_error("Overflow") {}
};

inline i16 add(i16 a, i16 b) {
    i16 r;
    if (__builtin_add_overflow(a, b, &r)) throw OverflowError();
    return r;
}

inline i16 sub(i16 a, i16 b) {
    i16 r;
    if (__builtin_sub_overflow(a, b, &r)) throw OverflowError();
    return r;
}

inline i16 mul(i16 a, i16 b) {
    i16 r;
    if (__builtin_mul_overflow(a, b, &r)) throw OverflowError();
    return r;
}

// Integer division truncated toward zero; -32768 / -1 and a zero divisor have
// no 16-bit result and are refused the same way.
inline i16 div(i16 a, i16 b) {
    if (b == 0 || (a == INT16_MIN && b == -1)) throw OverflowError();
    return static_cast<i16>(a / b);
}

} // namespace bw
