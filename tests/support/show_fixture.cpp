#include "support/show_fixture.h"

#include <unistd.h>

#include <filesystem>
#include <stdexcept>

#include "content/xm_writer.h"

std::string MakeMusicOnlyContent(const std::string& name) {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("tavrine-" + name + "-" + std::to_string(getpid()));
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir / "Music");

  // One instrument (a looped square wave), one pattern of a few notes.
  XmModule module;
  module.name = "loop test";
  module.channels = 2;
  module.tempo = 144;
  XmSample square;
  for (int i = 0; i < 64; ++i) square.data.push_back(i < 32 ? 8000 : -8000);
  square.loop = XM_LOOP_FORWARD;
  square.loopLength = 64;
  XmInstrument lead;
  lead.samples.push_back(square);
  module.instruments.push_back(lead);
  XmPattern pattern(16, module.channels);
  for (int row = 0; row < 16; row += 4) {
    pattern.at(row, 0, module.channels).note = static_cast<uint8_t>(49 + row / 4);
    pattern.at(row, 0, module.channels).instrument = 1;
  }
  module.patterns.push_back(pattern);
  module.orders = {0, 0};
  std::string error;
  if (!WriteXmFile((dir / "Music" / "DISCO.XM").string(), module, &error)) throw std::runtime_error(error);
  return dir.string();
}
