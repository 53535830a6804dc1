// capture_run.h - the show run offline for a capture: the frames it keeps, in order, with the
// lead-in of loading screens first, and its music in step with them.
//
//   CaptureAudio audio(sink, options.fps, schedule.LeadIn(), schedule.FromStart());
//   ShowCapture run = RunShowCapture(options, &audio, [&](const std::vector<uint32_t>& frame,
//                                                          double position) { ...; return true; });
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "capture_audio.h"
#include "capture_options.h"

struct ShowCapture {
  int code = 0;       // the show's exit code
  long frames = 0;    // frames handed over
  std::string error;  // why the show stopped, when code != 0
  bool stoppedByCaller = false;
};

// Each kept frame (320 x 240, 0x00RRGGBB) goes to `onFrame` with its timeline position (the
// lead-in's with 0); returning false stops the show there. `audio` may be null (no sound).
ShowCapture RunShowCapture(const CaptureOptions& options, CaptureAudio* audio,
                           const std::function<bool(const std::vector<uint32_t>& frame, double position)>& onFrame);
