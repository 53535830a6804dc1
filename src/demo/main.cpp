// The show: no arguments, no configuration; Esc ends it early.
#include <cstdio>
#include <exception>
#include <new>

#include "demo/demo.h"
#include "platform/sdl_platform.h"

// Running out of memory ends the show like any other failure: one line and status 1.
int main() {
  try {
    SdlPlatform live;
    return RunShow(&live.platform);
  } catch (const std::bad_alloc&) {
    std::fputs("Tavrine 3D: out of memory\n", stderr);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "Tavrine 3D: %s\n", e.what());
  }
  return 1;
}
