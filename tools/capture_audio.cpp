#include "capture_audio.h"

#include <algorithm>
#include <climits>
#include <filesystem>
#include <utility>

#include "capture_schedule.h"
#include "demo/timeline.h"
#include "platform/system.h"

CaptureAudio::CaptureAudio(PcmSink sink, int fps, int leadInFrames, bool keepFromStart)
    : sink_(std::move(sink)), fps_(fps), leadIn_(leadInFrames), keeping_(keepFromStart) {}

bool CaptureAudio::Open(int sampleRate, std::string* error) {
  if (sampleRate <= 0 || fps_ <= 0) {
    if (error) *error = "the capture's sound needs a positive sample rate and frame rate";
    return false;
  }
  rate_ = sampleRate;
  passes_ = received_ = kept_ = 0;
  failed_ = false;
  return true;
}

int CaptureAudio::FramesWanted() {
  if (rate_ == 0 || failed_) return 0;
  const uint64_t target = passes_ * static_cast<uint64_t>(rate_) / static_cast<uint64_t>(fps_);
  if (target <= received_) return 0;
  return static_cast<int>(std::min<uint64_t>(target - received_, INT_MAX));
}

void CaptureAudio::Write(const int16_t* interleaved, int frames) {
  if (frames <= 0) return;
  received_ += static_cast<uint64_t>(frames);
  if (!keeping_ || failed_) return;
  if (sink_ && !sink_(interleaved, static_cast<uint64_t>(frames))) failed_ = true;
  kept_ += static_cast<uint64_t>(frames);
}

void CaptureAudio::Start() {
  if (!keeping_ || leadIn_ <= 0 || rate_ == 0) return;
  const uint64_t silence = static_cast<uint64_t>(leadIn_) * static_cast<uint64_t>(rate_) / static_cast<uint64_t>(fps_);
  if (sink_ && !sink_(nullptr, silence)) failed_ = true;
  kept_ += silence;
}

namespace {

// Runs in the content folder and comes back, as the show reads its files from its own.
class InFolder {
 public:
  explicit InFolder(const std::string& folder) {
    previous_ = std::filesystem::current_path(ec_);
    if (!folder.empty()) std::filesystem::current_path(folder, ec_);
  }
  ~InFolder() {
    std::error_code ignored;
    if (!previous_.empty()) std::filesystem::current_path(previous_, ignored);
  }
  bool Failed() const { return static_cast<bool>(ec_); }

 private:
  std::filesystem::path previous_;
  std::error_code ec_;
};

}  // namespace

bool RenderShowAudio(const CaptureOptions& options, CaptureAudio* audio,
                     const std::function<bool(double position)>& onPass, std::string* error) {
  InFolder folder(options.content);
  if (folder.Failed()) {
    if (error) *error = "cannot enter the content folder " + options.content;
    return false;
  }
  const CaptureSchedule schedule(options);
  Platform platform;
  platform.audio = audio;
  PlatformWindow window;
  window.platform = &platform;

  auto libraryError = [&] {
    if (error) *error = std::string("Midas: ") + MIDASgetErrorMessage(MIDASgetLastError());
    MIDASclose();
    MidasEndProcess();
    return false;
  };
  MIDASstartup();
  MIDASsetOption(MIDAS_OPTION_WINDOW, reinterpret_cast<intptr_t>(&window));
  if (!MIDASinit()) return libraryError();
  const MidasModule module = MIDASloadModule("Music\\DISCO.XM");
  if (!module) return libraryError();
  const MidasPlayHandle play = MIDASplayModule(module, 1);
  if (!play) return libraryError();
  MIDASsetPosition(play, 0);
  audio->SetPasses(0);
  MIDASpoll();

  // The main loop's order: poll, then the pass's steps (here only the fade), then present.
  bool completed = true;
  for (uint64_t pass = 0;; ++pass) {
    audio->SetPasses(pass);
    MIDASpoll();
    const float position = static_cast<float>(static_cast<double>(pass) * 1.2 / options.fps);
    const TimelineSegment* segment = FindSegment(position);
    if (!segment) break;
    const CaptureSchedule::Step step = schedule.OnPresent(true, position);
    if (step == CaptureSchedule::Step::Stop) break;
    audio->Keep(step == CaptureSchedule::Step::Keep);
    if (SegmentNumber(segment) == TIMELINE_SEGMENTS) {
      // The last segment fades the music out, as its steps do in the show.
      const float sceneTime = position * 12.0f - segment->offset;
      MIDASsetMusicVolume(play, MusicVolumeAt(sceneTime));
    }
    if (onPass && !onPass(position)) {
      completed = false;
      break;
    }
  }
  audio->Keep(false);
  MIDASstopModule(play);
  MIDASfreeModule(module);
  MIDASclose();
  MidasEndProcess();
  if (!completed && error) *error = "stopped";
  return completed;
}
