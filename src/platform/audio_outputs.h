// audio_outputs.h - where the sound library's frames go.
//
//   SdlAudioOutput     the sound card, through SDL's queued audio (about 100 ms kept queued;
//                      native builds only, sdl_audio_output.cpp)
//   SilentAudioOutput  no sound card: keeps time with a millisecond clock, discards the frames
//   WavAudioOutput     offline: a 16-bit stereo WAV file kept in step with the frame counter
//   NullAudioOutput    wants nothing (frame rendering, where only pictures matter)
//
// All are 16-bit interleaved stereo at the rate given to Open.
#pragma once
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

#include "platform/sound.h"

class SdlAudioOutput : public AudioOutput {
 public:
  ~SdlAudioOutput() override;
  bool Open(int sampleRate, std::string* error) override;
  int FramesWanted() override;
  void Write(const int16_t* interleaved, int frames) override;
  void Start() override;
  void Flush() override;
  void Pause(bool paused) override;
  void Close() override;

 private:
  uint32_t device_ = 0;
  int rate_ = 0;
  bool subsystemUp_ = false;
};

class SilentAudioOutput : public AudioOutput {
 public:
  // `clockMs` gives milliseconds; without one a steady clock of the system is used.
  explicit SilentAudioOutput(std::function<uint32_t()> clockMs = nullptr);
  bool Open(int sampleRate, std::string* error) override;
  int FramesWanted() override;
  void Write(const int16_t* interleaved, int frames) override;
  // Time is counted from here, so a long load before the music does not come out as a burst.
  void Start() override;
  // After a jump or a pause time is counted afresh, for the same reason.
  void Flush() override { Start(); }
  void Pause(bool paused) override;
  void Close() override;

  uint64_t FramesWritten() const { return written_; }

 private:
  uint32_t Now();

  std::function<uint32_t()> clock_;
  int rate_ = 0;
  uint32_t startMs_ = 0;
  uint64_t written_ = 0;
};

// A 16-bit stereo WAV file written as the sound comes; Finish fills in the sizes. Samples
// are stored little-endian whatever the host; a null source appends silence.
class WavFile {
 public:
  ~WavFile();
  bool Create(const std::string& path, int sampleRate, std::string* error);
  bool Append(const int16_t* interleaved, uint64_t frames);
  bool Finish();  // also on a file that failed: closes it
  bool IsOpen() const { return file_ != nullptr; }
  uint64_t Frames() const { return frames_; }
  // Empty while all is well; otherwise why the file is incomplete.
  const std::string& Error() const { return error_; }

 private:
  void Fail(const std::string& why);

  std::string path_;
  FILE* file_ = nullptr;
  int rate_ = 0;
  uint64_t frames_ = 0;
  std::string error_;
};

class WavAudioOutput : public AudioOutput {
 public:
  // `frameCounter` gives the number of frames presented so far; at `fps` frames per second
  // the file holds floor(n * rate / fps) sample frames after frame n.
  WavAudioOutput(std::string path, std::function<uint64_t()> frameCounter, int fps);
  ~WavAudioOutput() override;
  bool Open(int sampleRate, std::string* error) override;
  int FramesWanted() override;
  void Write(const int16_t* interleaved, int frames) override;
  void Start() override;  // pads silence up to the current frame
  void Close() override;  // writes the final RIFF sizes

  uint64_t FramesWritten() const { return wav_.Frames(); }
  // Empty while all is well; otherwise why the file is incomplete.
  const std::string& Error() const { return wav_.Error(); }

 private:
  uint64_t Target() const;

  std::string path_;
  std::function<uint64_t()> frameCounter_;
  int fps_;
  int rate_ = 0;
  WavFile wav_;
};

class NullAudioOutput : public AudioOutput {
 public:
  bool Open(int, std::string*) override { return true; }
  int FramesWanted() override { return 0; }
  void Write(const int16_t*, int) override {}
  void Close() override {}
};
