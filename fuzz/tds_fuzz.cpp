// Fuzzes the 3D Studio scene reader over bytes, with no display device: every count, length
// and index it reads comes from the input.
#include <cstddef>
#include <cstdint>

#include "assets/scene.h"
#include "assets/tds_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Scene scene{};
  Read3dsScene(data, size, &scene, nullptr);
  FreeScene(&scene);
  return 0;
}
