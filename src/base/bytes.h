// bytes.h - little-endian numbers read from file bytes. The caller has checked that the
// bytes are there; nothing here looks past p + 1 or p + 3.
//
//   uint32_t size = ReadLe32(chunk + 2);
//   float f = ReadLeFloat(data);
#pragma once
#include <cstdint>
#include <cstring>

inline uint16_t ReadLe16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

inline uint32_t ReadLe32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}

inline float ReadLeFloat(const uint8_t* p) {
  const uint32_t bits = ReadLe32(p);
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}
