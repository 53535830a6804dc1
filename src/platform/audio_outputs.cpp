#include "platform/audio_outputs.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <utility>

namespace {
constexpr int kBytesPerFrame = 4;  // 16-bit stereo
}  // namespace

// ---- Silence that keeps time -------------------------------------------------------------

SilentAudioOutput::SilentAudioOutput(std::function<uint32_t()> clockMs) : clock_(std::move(clockMs)) {}

uint32_t SilentAudioOutput::Now() {
  if (clock_) return clock_();
  // Only differences are taken, so any steady millisecond count will do.
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

bool SilentAudioOutput::Open(int sampleRate, std::string* error) {
  if (sampleRate <= 0) {
    if (error) *error = "the sample rate must be positive";
    return false;
  }
  rate_ = sampleRate;
  startMs_ = Now();
  written_ = 0;
  return true;
}

int SilentAudioOutput::FramesWanted() {
  if (rate_ == 0) return 0;
  // Unsigned difference: correct across the 49-day wrap of a 32-bit millisecond clock.
  const uint64_t elapsedMs = static_cast<uint32_t>(Now() - startMs_);
  const uint64_t target = elapsedMs * static_cast<uint64_t>(rate_) / 1000;
  if (target <= written_) return 0;
  return static_cast<int>(std::min<uint64_t>(target - written_, INT32_MAX));
}

void SilentAudioOutput::Write(const int16_t*, int frames) {
  if (frames > 0) written_ += static_cast<uint64_t>(frames);
}

void SilentAudioOutput::Start() {
  startMs_ = Now();
  written_ = 0;
}

void SilentAudioOutput::Pause(bool paused) {
  if (!paused) Start();
}

void SilentAudioOutput::Close() { rate_ = 0; }

// ---- WAV file in step with the frame counter ---------------------------------------------

namespace {
constexpr uint32_t kWavHeaderBytes = 44;
constexpr uint64_t kMaxDataBytes = 0xFFFFFFFFull - (kWavHeaderBytes - 8);

void PutLe16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}

void PutLe32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

// The chunk tags are four bytes, not strings: no terminator belongs in the file.
// NOLINTBEGIN(bugprone-not-null-terminated-result)
void MakeWavHeader(uint8_t* h, int rate, uint32_t dataBytes) {
  std::memcpy(h, "RIFF", 4);
  PutLe32(h + 4, dataBytes + kWavHeaderBytes - 8);
  std::memcpy(h + 8, "WAVEfmt ", 8);
  PutLe32(h + 16, 16);  // PCM format chunk
  PutLe16(h + 20, 1);   // integer PCM
  PutLe16(h + 22, 2);
  PutLe32(h + 24, static_cast<uint32_t>(rate));
  PutLe32(h + 28, static_cast<uint32_t>(rate) * kBytesPerFrame);
  PutLe16(h + 32, kBytesPerFrame);
  PutLe16(h + 34, 16);
  std::memcpy(h + 36, "data", 4);
  PutLe32(h + 40, dataBytes);
}
// NOLINTEND(bugprone-not-null-terminated-result)
}  // namespace

WavFile::~WavFile() { Finish(); }

void WavFile::Fail(const std::string& why) {
  if (error_.empty()) error_ = why;
}

bool WavFile::Create(const std::string& path, int sampleRate, std::string* error) {
  Finish();
  error_.clear();
  frames_ = 0;
  path_ = path;
  if (sampleRate <= 0) {
    if (error) *error = "the WAV file needs a positive sample rate";
    return false;
  }
  file_ = std::fopen(path_.c_str(), "wb");
  if (!file_) {
    if (error) *error = "cannot create " + path_ + ": " + std::strerror(errno);
    return false;
  }
  rate_ = sampleRate;
  uint8_t header[kWavHeaderBytes];
  MakeWavHeader(header, rate_, 0);  // sizes are filled in by Finish
  if (std::fwrite(header, 1, sizeof header, file_) != sizeof header) {
    if (error) *error = "cannot write " + path_;
    std::fclose(file_);
    file_ = nullptr;
    return false;
  }
  return true;
}

bool WavFile::Append(const int16_t* interleaved, uint64_t frames) {
  if (!file_ || !error_.empty()) return false;
  if ((frames_ + frames) * kBytesPerFrame > kMaxDataBytes) {
    Fail("the sound is too long for one WAV file");
    return false;
  }
  uint8_t buffer[4096];
  const uint64_t framesPerChunk = sizeof buffer / kBytesPerFrame;
  for (uint64_t done = 0; done < frames;) {
    const uint64_t n = std::min(framesPerChunk, frames - done);
    for (uint64_t i = 0; i < n * 2; ++i) {
      const int16_t s = interleaved ? interleaved[done * 2 + i] : 0;
      PutLe16(buffer + i * 2, static_cast<uint16_t>(s));
    }
    const size_t bytes = static_cast<size_t>(n) * kBytesPerFrame;
    if (std::fwrite(buffer, 1, bytes, file_) != bytes) {
      Fail("cannot write " + path_ + ": " + std::strerror(errno));
      return false;
    }
    done += n;
    frames_ += n;
  }
  return true;
}

bool WavFile::Finish() {
  if (!file_) return error_.empty();
  uint8_t header[kWavHeaderBytes];
  MakeWavHeader(header, rate_, static_cast<uint32_t>(frames_ * kBytesPerFrame));
  if (std::fseek(file_, 0, SEEK_SET) != 0 || std::fwrite(header, 1, sizeof header, file_) != sizeof header)
    Fail("cannot finish " + path_);
  if (std::fclose(file_) != 0) Fail("cannot finish " + path_);
  file_ = nullptr;
  return error_.empty();
}

WavAudioOutput::WavAudioOutput(std::string path, std::function<uint64_t()> frameCounter, int fps)
    : path_(std::move(path)), frameCounter_(std::move(frameCounter)), fps_(fps) {}

WavAudioOutput::~WavAudioOutput() { Close(); }

bool WavAudioOutput::Open(int sampleRate, std::string* error) {
  Close();
  if (sampleRate <= 0 || fps_ <= 0 || !frameCounter_) {
    if (error) *error = "the WAV output needs a positive rate, a positive frame rate and a frame counter";
    return false;
  }
  if (!wav_.Create(path_, sampleRate, error)) return false;
  rate_ = sampleRate;
  return true;
}

uint64_t WavAudioOutput::Target() const {
  return frameCounter_() * static_cast<uint64_t>(rate_) / static_cast<uint64_t>(fps_);
}

int WavAudioOutput::FramesWanted() {
  if (!wav_.IsOpen() || !wav_.Error().empty()) return 0;
  const uint64_t target = Target();
  if (target <= wav_.Frames()) return 0;
  return static_cast<int>(std::min<uint64_t>(target - wav_.Frames(), INT32_MAX));
}

void WavAudioOutput::Write(const int16_t* interleaved, int frames) {
  if (frames > 0) wav_.Append(interleaved, static_cast<uint64_t>(frames));
}

void WavAudioOutput::Start() {
  if (!wav_.IsOpen()) return;
  const int pad = FramesWanted();
  if (pad > 0) Write(nullptr, pad);  // null source writes silence
}

void WavAudioOutput::Close() { wav_.Finish(); }
