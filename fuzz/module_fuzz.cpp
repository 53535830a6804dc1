// Fuzzes the music module loader: the sound library runs once with an output that wants no
// frames, and each input is loaded (and freed) from a temporary file.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/audio_outputs.h"
#include "platform/sound.h"
#include "platform/system.h"

namespace {

NullAudioOutput silence;
Platform platform;
PlatformWindow window;

// One file per process, removed when the fuzzer exits normally.
class TempFile {
 public:
  TempFile() {
    char name[] = "/tmp/tavrine-module-fuzz-XXXXXX";
    const int fd = mkstemp(name);
    if (fd < 0) std::abort();
    close(fd);
    path = name;
  }
  ~TempFile() { unlink(path.c_str()); }
  std::string path;
};

const std::string& TempPath() {
  static const TempFile file;
  return file.path;
}

bool StartLibrary() {
  platform.audio = &silence;
  window.platform = &platform;
  MIDASstartup();
  MIDASsetOption(MIDAS_OPTION_WINDOW, reinterpret_cast<intptr_t>(&window));
  return MIDASinit() != 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool started = StartLibrary();
  if (!started) std::abort();
  FILE* file = std::fopen(TempPath().c_str(), "wb");
  if (!file) std::abort();
  const bool written = size == 0 || std::fwrite(data, 1, size, file) == size;
  if (std::fclose(file) != 0 || !written) std::abort();

  const MidasModule module = MIDASloadModule(TempPath().c_str());
  if (module) {
    if (!MIDASfreeModule(module)) std::abort();
  } else {
    // A refused file leaves a readable reason behind.
    const char* reason = MIDASgetErrorMessage(MIDASgetLastError());
    if (!reason || !*reason) std::abort();
  }
  return 0;
}
