#pragma once
// Owning holders for the handles of the C sound libraries, each released by
// its own function.

#include <memory>

namespace bw {

template <auto Release> struct Releaser {
    template <typename T> void operator()(T* handle) const { Release(handle); }
};

template <typename T, auto Release> using CHandle = std::unique_ptr<T, Releaser<Release>>;

} // namespace bw
