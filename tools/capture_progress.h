// capture_progress.h - how far a capture has got, told to a person or to a log.
//
// On a terminal: one line redrawn a few times a second (a bar, the position, frames per
// second, time left), filled at the end; lines of their own for the phases (loading,
// finishing the file). Anywhere else: the phases and one line per tenth of the way, so that a
// log stays a few dozen lines long.
//
//   CaptureProgress progress(stderr, isatty(2), 0.0, 122.0);
//   progress.Phase("loading the show");
//   progress.Update(position, frames);   // as often as you like
//   progress.Done(frames);
#pragma once
#include <cstdio>
#include <functional>
#include <string>

class CaptureProgress {
 public:
  // `clock` gives seconds (a steady clock unless a test gives its own).
  CaptureProgress(FILE* out, bool terminal, double from, double to, std::function<double()> clock = nullptr);
  // A line of its own; ends a bar being drawn.
  void Phase(const std::string& text);
  // The capture has reached `position` with `frames` written.
  void Update(double position, long frames);
  // The whole range is done: the bar is drawn full and its line ended.
  void Done(long frames);
  // Seconds since the first Update (the capture proper, after loading and skipping).
  double Elapsed() const;

 private:
  void Draw(double fraction, double position, long frames);
  double Now() const;

  FILE* out_;
  bool terminal_;
  double from_, to_;
  std::function<double()> clock_;
  double started_ = -1, lastDrawn_ = -1;
  int tenthsTold_ = 0;
  bool barOpen_ = false;
};
