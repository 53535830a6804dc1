#include "capture_run.h"

#include "capture_schedule.h"
#include "demo/demo.h"
#include "offline_show.h"

ShowCapture RunShowCapture(const CaptureOptions& options, CaptureAudio* audio,
                           const std::function<bool(const std::vector<uint32_t>& frame, double position)>& onFrame) {
  const CaptureSchedule schedule(options);
  OfflineShow show(options.content, options.fps, audio);
  ShowCapture result;
  std::vector<std::vector<uint32_t>> loading;  // held until the first kept pass
  uint64_t passes = 0;
  bool keeping = false, done = false;

  auto hand = [&](const std::vector<uint32_t>& frame, double position) {
    if (!onFrame(frame, position)) {
      result.stoppedByCaller = true;
      return false;
    }
    ++result.frames;
    return true;
  };

  show.offline.onFrame = [&](const OfflinePresenter& presented) {
    if (done) {
      show.Stop();
      return;
    }
    const CaptureSchedule::Step step = schedule.OnPresent(showState.running, showState.position);
    // The music owed is counted in passes since it started, as the sound library sees time.
    if (showState.running && audio) audio->SetPasses(++passes);
    if (step == CaptureSchedule::Step::Loading) {
      if (schedule.LeadIn() > 0) loading.push_back(presented.frame);
      return;
    }
    if (step == CaptureSchedule::Step::Skip) return;
    if (step == CaptureSchedule::Step::Stop) {
      if (audio) audio->Keep(false);
      done = true;
      show.Stop();
      return;
    }
    if (presented.width != 320 || presented.height != 240) {
      result.error = "the show presented a " + std::to_string(presented.width) + "x" +
                     std::to_string(presented.height) + " frame";
      done = true;
      show.Stop();
      return;
    }
    if (!keeping) {
      keeping = true;
      if (audio) audio->Keep(true);
      const std::vector<uint32_t> black(320 * 240, 0);
      for (int i = 0; i < schedule.LeadIn() && !done; ++i) {
        const int source = LeadInSource(i, schedule.LeadIn(), static_cast<int>(loading.size()));
        done = !hand(loading.empty() ? black : loading[static_cast<size_t>(source)], 0.0);
      }
      loading.clear();
      loading.shrink_to_fit();
    }
    if (done || !hand(presented.frame, showState.position)) {
      done = true;
      show.Stop();
    }
  };

  // A range that starts later jumps there, as the frame command does: the same frames a
  // run from the start would draw, without drawing the ones before.
  ShowPlayback playback;
  if (!schedule.FromStart()) playback.start = static_cast<float>(options.from);
  result.code = show.Run(&result.error, playback);
  if (result.code == 0 && !result.error.empty()) result.code = 1;
  return result;
}
