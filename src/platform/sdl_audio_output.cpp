// The sound card through SDL's queued audio (declared in audio_outputs.h with the others).
#include <SDL.h>

#include <algorithm>
#include <string>

#include "platform/audio_outputs.h"

namespace {
constexpr int kQueuedMilliseconds = 100;
constexpr int kBytesPerFrame = 4;  // 16-bit stereo
}  // namespace

SdlAudioOutput::~SdlAudioOutput() { Close(); }

bool SdlAudioOutput::Open(int sampleRate, std::string* error) {
  Close();
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    if (error) *error = std::string("SDL audio could not start: ") + SDL_GetError();
    return false;
  }
  subsystemUp_ = true;
  SDL_AudioSpec want{};
  want.freq = sampleRate;
  want.format = AUDIO_S16SYS;
  want.channels = 2;
  want.samples = 1024;
  want.callback = nullptr;  // queued audio: MIDASpoll feeds it, no thread of ours
  SDL_AudioSpec have{};
  // No allowed changes: SDL converts to whatever the card takes, so our rate stays exact.
  device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (device_ == 0) {
    if (error) *error = std::string("the audio device could not be opened: ") + SDL_GetError();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    subsystemUp_ = false;
    return false;
  }
  rate_ = sampleRate;
  return true;
}

int SdlAudioOutput::FramesWanted() {
  if (device_ == 0) return 0;
  const int64_t target = static_cast<int64_t>(rate_) * kQueuedMilliseconds / 1000;
  const int64_t queued = SDL_GetQueuedAudioSize(device_) / kBytesPerFrame;
  return static_cast<int>(std::max<int64_t>(0, target - queued));
}

void SdlAudioOutput::Write(const int16_t* interleaved, int frames) {
  if (device_ == 0 || frames <= 0) return;
  SDL_QueueAudio(device_, interleaved, static_cast<Uint32>(frames) * kBytesPerFrame);
}

void SdlAudioOutput::Start() {
  if (device_ != 0) SDL_PauseAudioDevice(device_, 0);
}

void SdlAudioOutput::Flush() {
  if (device_ != 0) SDL_ClearQueuedAudio(device_);
}

void SdlAudioOutput::Pause(bool paused) {
  if (device_ != 0) SDL_PauseAudioDevice(device_, paused ? 1 : 0);
}

void SdlAudioOutput::Close() {
  if (device_ != 0) {
    SDL_CloseAudioDevice(device_);
    device_ = 0;
  }
  if (subsystemUp_) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    subsystemUp_ = false;
  }
}
