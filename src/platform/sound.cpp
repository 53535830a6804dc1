#include "platform/sound.h"

#include <libopenmpt/libopenmpt.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <new>
#include <sstream>
#include <vector>

#include "base/file.h"
#include "platform/audio_outputs.h"
#include "platform/system.h"

namespace {

constexpr int kMixRate = MIDAS_MIX_RATE;
// Most frames rendered by one poll (two seconds), in chunks of at most kChunkFrames.
constexpr int kMaxFramesPerPoll = 2 * kMixRate;
constexpr int kChunkFrames = 8192;
constexpr unsigned kFullVolume = 64;
// The largest module file taken: the show's song is about 640 KB, and modules full of samples
// run to a few tens of megabytes.
constexpr size_t kModuleFileLimit = size_t{64} << 20;

enum MidasError {
  kOk = 0,
  kNotRunning,
  kAlreadyRunning,
  kUnknownOption,
  kFileMissing,
  kNotAModule,
  kUnknownModule,
  kUnknownPlayHandle,
  kRefused,
  kOutOfMemory,
  kBadPosition,
  kErrorCount
};

// The text of each code when no more detailed sentence was recorded for it.
const char* const kErrorTexts[kErrorCount] = {
    "No error.",
    "The sound library has not been started.",
    "The sound library has already been started.",
    "The sound library was given an option it does not know.",
    "The module file could not be opened.",
    "The module file is not a module the player can read.",
    "The sound library was given a module handle it does not know.",
    "The sound library was given a play handle it does not know.",
    "The sound library refused the operation.",
    "There is not enough memory for the music.",
    "The song has no position like the one asked for.",
};

struct LoadedModule {
  std::vector<uint8_t> bytes;  // each play decodes its own copy from its start
  std::string name;
};

struct Playing {
  MidasModule module = 0;
  std::unique_ptr<openmpt::module> player;
  unsigned volume = kFullVolume;
  bool ended = false;
};

struct SoundState {
  PlatformWindow* window = nullptr;
  int mixBufferOption = 0;
  int bufferCountOption = 0;
  bool running = false;
  AudioOutput* output = nullptr;
  std::unique_ptr<SilentAudioOutput> fallback;
  std::map<MidasModule, LoadedModule> modules;
  std::map<MidasPlayHandle, Playing> plays;
  uintptr_t nextHandle = 1;
  int lastError = kOk;
  std::string lastText;
  bool refuse[6] = {};
  std::vector<float> mix;
  std::vector<float> render;
  std::vector<int16_t> out;
};

SoundState& Sound() {
  static SoundState state;
  return state;
}

int Fail(int code, std::string text = {}) {
  SoundState& s = Sound();
  s.lastError = code;
  s.lastText = text.empty() ? kErrorTexts[code] : std::move(text);
  return 0;
}

bool Refused(MidasOperation operation, const char* what) {
  if (!Sound().refuse[static_cast<int>(operation)]) return false;
  Fail(kRefused, std::string("The sound library refused to ") + what + " (test).");
  return true;
}

// libopenmpt reports load problems on a log stream; the show reports them in its own words.
std::ostream& QuietLog() {
  static std::ostringstream sink;
  sink.str({});
  return sink;
}

void StopEverything() {
  SoundState& s = Sound();
  s.plays.clear();
  s.modules.clear();
  if (s.output) s.output->Close();
  s.output = nullptr;
  s.fallback.reset();
  s.running = false;
}

// Renders one play into `mix` (added), scaled by its volume. Returns false at the song's end.
bool RenderPlay(Playing& play, int frames, std::vector<float>& render, std::vector<float>& mix) {
  size_t got = 0;
  try {
    got = play.player->read_interleaved_stereo(kMixRate, static_cast<size_t>(frames), render.data());
  } catch (...) {
    got = 0;  // a decoder fault ends this song rather than the show
  }
  if (play.volume != 0) {
    const float gain = static_cast<float>(play.volume) / 64.0f;
    for (size_t i = 0; i < got * 2; ++i) mix[i] += render[i] * gain;
  }
  return got == static_cast<size_t>(frames);
}

int16_t ToSample(float v) {
  const float scaled = std::nearbyint(v * 32768.0f);
  return static_cast<int16_t>(std::clamp(scaled, -32768.0f, 32767.0f));
}

}  // namespace

void MIDASstartup() {
  SoundState& s = Sound();
  StopEverything();
  s.window = nullptr;
  s.mixBufferOption = 0;
  s.bufferCountOption = 0;
  s.lastError = kOk;
  s.lastText = kErrorTexts[kOk];
  // Test refusals outlive startup: a test arms them before the show starts the library.
}

int MIDASsetOption(int option, intptr_t value) {
  SoundState& s = Sound();
  switch (option) {
    case MIDAS_OPTION_WINDOW: s.window = reinterpret_cast<PlatformWindow*>(value); return 1;
    // Mixing buffer and buffer count tune the original's mixer; ours needs neither.
    case MIDAS_OPTION_MIXRATE_BUFFER: s.mixBufferOption = static_cast<int>(value); return 1;
    case MIDAS_OPTION_BUFFER_COUNT: s.bufferCountOption = static_cast<int>(value); return 1;
    default: return Fail(kUnknownOption);
  }
}

int MIDASinit() {
  SoundState& s = Sound();
  if (Refused(MidasOperation::Init, "start")) return 0;
  if (s.running) return Fail(kAlreadyRunning);
  AudioOutput* wanted = s.window && s.window->platform ? s.window->platform->audio : nullptr;
  std::string reason;
  if (!wanted) {
    reason = "no audio output was given";
  } else if (wanted->Open(kMixRate, &reason)) {
    s.output = wanted;
  } else if (reason.empty()) {
    reason = "the audio output could not be opened";
  }
  if (!s.output) {
    // A machine without sound still shows the demo; the music keeps time in silence.
    s.fallback = std::make_unique<SilentAudioOutput>();
    std::string ignored;
    s.fallback->Open(kMixRate, &ignored);
    s.output = s.fallback.get();
    std::fprintf(stderr, "no audio device: playing silently (%s)\n", reason.c_str());
  }
  s.running = true;
  return 1;
}

MidasModule MIDASloadModule(const char* fileName) {
  SoundState& s = Sound();
  if (Refused(MidasOperation::LoadModule, "load the module")) return 0;
  if (!s.running) return Fail(kNotRunning);
  const std::string name = fileName ? fileName : "";
  const std::string shown = ShowFilePath(name.c_str());
  LoadedModule loaded;
  FileRefusal refusal;
  if (name.empty() || !ReadShowFile(name.c_str(), kModuleFileLimit, loaded.bytes, &refusal)) {
    if (name.empty() || refusal.kind == FileRefusal::Missing)
      return Fail(kFileMissing, "The module file " + shown + " could not be opened.");
    return Fail(kFileMissing, "The module file " + shown + " " + refusal.why + ".");
  }
  // Decode once now so that a bad file fails here, not when it starts playing.
  try {
    openmpt::module probe(loaded.bytes, QuietLog());
  } catch (const std::bad_alloc&) {
    return Fail(kOutOfMemory);
  } catch (...) {
    return Fail(kNotAModule, "The module file " + shown + " is not a module the player can read.");
  }
  loaded.name = shown;
  const MidasModule handle = s.nextHandle++;
  s.modules.emplace(handle, std::move(loaded));
  return handle;
}

MidasPlayHandle MIDASplayModule(MidasModule module, int loopSong) {
  SoundState& s = Sound();
  (void)loopSong;  // the show's song is played once; its end is followed by silence
  if (Refused(MidasOperation::PlayModule, "play the module")) return 0;
  if (!s.running) return Fail(kNotRunning);
  auto found = s.modules.find(module);
  if (found == s.modules.end()) return Fail(kUnknownModule);
  Playing play;
  play.module = module;
  try {
    play.player = std::make_unique<openmpt::module>(found->second.bytes, QuietLog(),
                                                    std::map<std::string, std::string>{{"play.at_end", "stop"}, {"seek.sync_samples", "1"}});
  } catch (const std::bad_alloc&) {
    return Fail(kOutOfMemory);
  } catch (...) {
    return Fail(kNotAModule, "The module file " + found->second.name + " is not a module the player can read.");
  }
  const MidasPlayHandle handle = s.nextHandle++;
  s.plays.emplace(handle, std::move(play));
  s.output->Start();
  return handle;
}

int MIDASsetPosition(MidasPlayHandle playHandle, int position) {
  SoundState& s = Sound();
  auto found = s.plays.find(playHandle);
  if (found == s.plays.end()) return Fail(kUnknownPlayHandle);
  Playing& play = found->second;
  if (position < 0 || position >= play.player->get_num_orders()) return Fail(kBadPosition);
  try {
    play.player->set_position_order_row(position, 0);
  } catch (...) {
    return Fail(kBadPosition);
  }
  play.ended = false;
  return 1;
}

int MIDASpoll() {
  SoundState& s = Sound();
  if (!s.running) return Fail(kNotRunning);
  // Rendered in chunks, so an offline output at a low frame rate is fed whole each frame,
  // while an output that fell far behind (a stall) catches up over several polls.
  int budget = kMaxFramesPerPoll;
  while (budget > 0) {
    const int frames = std::min({s.output->FramesWanted(), kChunkFrames, budget});
    if (frames <= 0) break;
    s.mix.assign(static_cast<size_t>(frames) * 2, 0.0f);
    s.render.resize(static_cast<size_t>(frames) * 2);
    s.out.resize(static_cast<size_t>(frames) * 2);
    for (auto& [handle, play] : s.plays) {
      if (play.ended) continue;  // past its end a song adds silence, and time goes on
      if (!RenderPlay(play, frames, s.render, s.mix)) play.ended = true;
    }
    for (size_t i = 0; i < s.mix.size(); ++i) s.out[i] = ToSample(s.mix[i]);
    s.output->Write(s.out.data(), frames);
    budget -= frames;
  }
  return 1;
}

int MIDASsetMusicVolume(MidasPlayHandle playHandle, unsigned volume) {
  SoundState& s = Sound();
  auto found = s.plays.find(playHandle);
  if (found == s.plays.end()) return Fail(kUnknownPlayHandle);
  found->second.volume = std::min(volume, kFullVolume);
  return 1;
}

int MIDASstopModule(MidasPlayHandle playHandle) {
  SoundState& s = Sound();
  if (Refused(MidasOperation::StopModule, "stop the module")) return 0;
  if (s.plays.erase(playHandle) == 0) return Fail(kUnknownPlayHandle);
  return 1;
}

int MIDASfreeModule(MidasModule module) {
  SoundState& s = Sound();
  if (Refused(MidasOperation::FreeModule, "free the module")) return 0;
  if (s.modules.erase(module) == 0) return Fail(kUnknownModule);
  // A module freed while it plays stops playing rather than leaving a dangling song.
  std::erase_if(s.plays, [module](const auto& entry) { return entry.second.module == module; });
  return 1;
}

int MIDASclose() {
  SoundState& s = Sound();
  if (Refused(MidasOperation::Close, "close")) return 0;
  if (!s.running) return Fail(kNotRunning);
  StopEverything();
  return 1;
}

double MidasPlayedSeconds(MidasPlayHandle playHandle) {
  SoundState& s = Sound();
  auto found = s.plays.find(playHandle);
  return found == s.plays.end() ? -1.0 : found->second.player->get_position_seconds();
}

int MidasSeekSeconds(MidasPlayHandle playHandle, double seconds) {
  SoundState& s = Sound();
  auto found = s.plays.find(playHandle);
  if (found == s.plays.end()) return Fail(kUnknownPlayHandle);
  Playing& play = found->second;
  if (!(seconds >= 0)) return Fail(kBadPosition);
  try {
    // The library lands on a row's start near the time asked for, sometimes after it: step
    // back to a row at or before it, then play on to the sample in silence.
    double landed = play.player->set_position_seconds(seconds);
    for (double back = 0.05; landed > seconds && back < 4.0; back *= 2)
      landed = play.player->set_position_seconds(std::max(0.0, seconds - back));
    int64_t skip = std::llround((seconds - landed) * kMixRate);
    s.render.resize(static_cast<size_t>(kChunkFrames) * 2);
    play.ended = false;
    while (skip > 0 && !play.ended) {
      const int frames = static_cast<int>(std::min<int64_t>(skip, kChunkFrames));
      if (play.player->read_interleaved_stereo(kMixRate, static_cast<size_t>(frames), s.render.data()) !=
          static_cast<size_t>(frames))
        play.ended = true;
      skip -= frames;
    }
  } catch (...) {
    return Fail(kBadPosition);
  }
  if (s.output) s.output->Flush();
  return 1;
}

void MidasPauseOutput(bool paused) {
  SoundState& s = Sound();
  if (s.output) s.output->Pause(paused);
}

int MIDASgetLastError() { return Sound().lastError; }

const char* MIDASgetErrorMessage(int errorCode) {
  const SoundState& s = Sound();
  if (errorCode == s.lastError && !s.lastText.empty()) return s.lastText.c_str();
  if (errorCode < 0 || errorCode >= kErrorCount) return "The sound library reported an unknown error.";
  return kErrorTexts[errorCode];
}

void MidasEndProcess() {
  SoundState& s = Sound();
  s.plays.clear();
  s.modules.clear();
  s.output = nullptr;
  s.fallback.reset();
  s.running = false;
  s.window = nullptr;
}

void MidasRefuseForTesting(MidasOperation operation, bool refuse) {
  const int index = static_cast<int>(operation);
  if (index >= 0 && index < 6) Sound().refuse[index] = refuse;
}
