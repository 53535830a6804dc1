#include "capture_schedule.h"

#include <algorithm>
#include <cmath>

int LeadInFrames(int fps) {
  return std::max(1, static_cast<int>(std::lround(CAPTURE_LOADING_SECONDS * fps)));
}

int LeadInSource(int frame, int leadInFrames, int loadingScreens) {
  if (loadingScreens <= 0 || leadInFrames <= 0) return 0;
  // Screen i is on from i/count to (i+1)/count of the lead-in; frame j ends at (j+1)/frames.
  const long long end = static_cast<long long>(frame + 1) * loadingScreens;
  const long long shown = (end + leadInFrames - 1) / leadInFrames - 1;
  return static_cast<int>(std::clamp<long long>(shown, 0, loadingScreens - 1));
}

CaptureSchedule::CaptureSchedule(const CaptureOptions& options)
    : from_(options.from), to_(options.to), leadIn_(options.loading && options.from <= 0.0 ? LeadInFrames(options.fps) : 0) {}

CaptureSchedule::Step CaptureSchedule::OnPresent(bool mainLoop, float position) const {
  if (!mainLoop) return Step::Loading;
  if (position >= to_) return Step::Stop;
  if (!FromStart() && position < from_) return Step::Skip;
  return Step::Keep;
}

double CaptureSchedule::Fraction(double position) const {
  return std::clamp((position - std::max(0.0, from_)) / (to_ - std::max(0.0, from_)), 0.0, 1.0);
}
