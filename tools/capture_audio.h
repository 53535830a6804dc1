// capture_audio.h - the show's music for a capture, in step with the frames it keeps.
//
// The sound library fills its output up to floor(passes x rate / fps) sample frames, where
// passes counts the main loop's presented frames. While a capture skips the passes before its
// range the music goes nowhere; from the first kept pass on it goes to the sink, after the
// lead-in's silence; past the range it goes nowhere again. The sound of the capture's frame n
// thus starts within one sample of n x rate / fps.
//
//   CaptureAudio audio(sink, fps, schedule.LeadIn(), schedule.FromStart());
//   OfflineShow show(content, fps, &audio);
//   per presented pass: audio.SetPasses(++passes); audio.Keep(kept);
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "capture_options.h"
#include "platform/sound.h"

// Where the kept sound goes: interleaved 16-bit stereo, a null source meaning silence.
// False when it can take no more.
using PcmSink = std::function<bool(const int16_t* interleaved, uint64_t frames)>;

class CaptureAudio : public AudioOutput {
 public:
  CaptureAudio(PcmSink sink, int fps, int leadInFrames, bool keepFromStart);

  void SetPasses(uint64_t passes) { passes_ = passes; }
  void Keep(bool keep) { keeping_ = keep; }

  bool Open(int sampleRate, std::string* error) override;
  int FramesWanted() override;
  void Write(const int16_t* interleaved, int frames) override;
  void Start() override;  // the music starts: the lead-in's silence goes first
  void Close() override {}

  int Rate() const { return rate_; }
  uint64_t FramesKept() const { return kept_; }
  bool Failed() const { return failed_; }

 private:
  PcmSink sink_;
  int fps_, leadIn_;
  bool keeping_;
  int rate_ = 0;
  uint64_t passes_ = 0, received_ = 0, kept_ = 0;
  bool failed_ = false;
};

// The sound alone, without drawing: the sound library driven as the show drives it, one
// pass per 1/fps of a second with the last segment's fade, the range and lead-in of
// `options`. `onPass` sees each pass's position and returns false to stop early (an
// interrupt). False with a one-line reason when the music cannot be played.
bool RenderShowAudio(const CaptureOptions& options, CaptureAudio* audio,
                     const std::function<bool(double position)>& onPass, std::string* error);
