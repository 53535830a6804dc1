// capture_schedule.h - which of the show's frames a capture keeps, and how it opens.
//
// Offline, the show presents its loading screens one after another as fast as it loads, then
// one frame per pass of its main loop, each pass a 1/fps step of the virtual clock. A capture
// keeps the passes whose position lies in [from, to). When it starts at the beginning it
// opens with the loading screens spread over a fixed time, about as long as they last live,
// whatever the frame rate, with silence under them.
//
//   CaptureSchedule schedule(options);
//   switch (schedule.OnPresent(showState.running, showState.position)) { ... }
#pragma once
#include "capture_options.h"

// Live, each loading screen waits for one refresh of a 60 Hz display (43 of them), and the
// files take a little longer to read.
constexpr double CAPTURE_LOADING_SECONDS = 0.8;

// Frames of loading screens at `fps`: the fixed time, rounded, and at least one.
int LeadInFrames(int fps);
// Which of `loadingScreens` screens (in the order shown) fills lead-in frame `frame` of
// `leadInFrames`: the one on screen at the end of that frame's time, so the last frame shows
// the full bar.
int LeadInSource(int frame, int leadInFrames, int loadingScreens);

class CaptureSchedule {
 public:
  enum class Step {
    Loading,  // a loading screen: held for the lead-in
    Skip,     // a pass before the range
    Keep,     // a pass in the range
    Stop,     // the first pass past the range: the show can stop
  };

  explicit CaptureSchedule(const CaptureOptions& options);
  Step OnPresent(bool mainLoop, float position) const;
  int LeadIn() const { return leadIn_; }
  // True when the range starts with the show: every pass counts (the first is drawn a hair
  // before position 0), and so does the music from its first sample.
  bool FromStart() const { return from_ <= 0.0; }
  // Progress through the range, 0 to 1.
  double Fraction(double position) const;

 private:
  double from_, to_;
  int leadIn_;
};
