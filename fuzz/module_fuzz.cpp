// Fuzzes the music module loader: the sound library runs once with an output that wants no
// frames, and each input is loaded (and freed) from a file.
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

// One file per process, unlinked as soon as it is made so that nothing is left behind
// even when a crash ends the process; the loaders reach it through /proc/self/fd.
class InputFile {
 public:
  InputFile() {
    char name[] = "/tmp/tavrine-module-fuzz-XXXXXX";
    fd_ = mkstemp(name);
    if (fd_ < 0) std::abort();
    unlink(name);
    path_ = "/proc/self/fd/" + std::to_string(fd_);
  }
  // Replaces the file's contents with `data`; the path then reads exactly these bytes.
  void Write(const uint8_t* data, size_t size) const {
    if (ftruncate(fd_, 0) != 0) std::abort();
    size_t done = 0;
    while (done < size) {
      const ssize_t written = pwrite(fd_, data + done, size - done, static_cast<off_t>(done));
      if (written <= 0) std::abort();
      done += static_cast<size_t>(written);
    }
  }
  const std::string& Path() const { return path_; }

 private:
  int fd_ = -1;
  std::string path_;
};

const InputFile& Input() {
  static const InputFile file;
  return file;
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
  Input().Write(data, size);
  const MidasModule module = MIDASloadModule(Input().Path().c_str());
  if (module) {
    if (!MIDASfreeModule(module)) std::abort();
  } else {
    // A refused file leaves a readable reason behind.
    const char* reason = MIDASgetErrorMessage(MIDASgetLastError());
    if (!reason || !*reason) std::abort();
  }
  return 0;
}
