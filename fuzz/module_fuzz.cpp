// Fuzzes the music module loader: the sound library runs once with an output that wants no
// frames, and each input is loaded (and freed) from a file.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "input_file.h"
#include "platform/audio_outputs.h"
#include "platform/sound.h"
#include "platform/system.h"

namespace {

NullAudioOutput silence;
Platform platform;
PlatformWindow window;

const InputFile& Input() { return InputFile::Get(); }

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
