// The show: no arguments, no configuration; Esc ends it early.
#include "demo/demo.h"
#include "platform/sdl_platform.h"

int main() {
  SdlPlatform live;
  return RunShow(&live.platform);
}
