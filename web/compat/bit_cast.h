// Forced into every unit of the web build: Emscripten's C++ library (3.1.6) has <bit> but not
// std::bit_cast, which its compiler has as a builtin. A newer library brings its own.
#pragma once
#include <bit>

#if !defined(__cpp_lib_bit_cast)
namespace std {
template <class To, class From>
constexpr To bit_cast(const From& from) noexcept {
  return __builtin_bit_cast(To, from);
}
}  // namespace std
#endif
