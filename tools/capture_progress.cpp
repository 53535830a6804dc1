#include "capture_progress.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <utility>

namespace {

constexpr int kBarCells = 30;
constexpr double kRedrawSeconds = 0.25;
// Before this, a rate says nothing: the held loading screens go out all at once.
constexpr double kSettleSeconds = 0.5;

std::string Clock(double seconds) {
  const long s = std::lround(std::max(0.0, seconds));
  char text[32];
  std::snprintf(text, sizeof text, "%ld:%02ld", s / 60, s % 60);
  return text;
}

}  // namespace

CaptureProgress::CaptureProgress(FILE* out, bool terminal, double from, double to, std::function<double()> clock)
    : out_(out), terminal_(terminal), from_(from), to_(to), clock_(std::move(clock)) {}

double CaptureProgress::Now() const {
  if (clock_) return clock_();
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

double CaptureProgress::Elapsed() const { return started_ < 0 ? 0.0 : Now() - started_; }

void CaptureProgress::Phase(const std::string& text) {
  if (barOpen_) std::fputc('\n', out_);
  barOpen_ = false;
  std::fprintf(out_, "%s\n", text.c_str());
  std::fflush(out_);
}

void CaptureProgress::Update(double position, long frames) {
  const double now = Now();
  if (started_ < 0) started_ = now;
  const double fraction = std::clamp((position - from_) / (to_ - from_), 0.0, 1.0);
  if (terminal_) {
    if (lastDrawn_ >= 0 && now - lastDrawn_ < kRedrawSeconds) return;
    lastDrawn_ = now;
    Draw(fraction, position, frames);
    return;
  }
  const int tenths = static_cast<int>(fraction * 10.0);
  if (tenths <= tenthsTold_ || tenths >= 10) return;  // the tenth tenth is Done's
  tenthsTold_ = tenths;
  Draw(fraction, position, frames);
}

void CaptureProgress::Done(long frames) {
  if (started_ < 0) started_ = Now();
  Draw(1.0, to_, frames);
  if (barOpen_) std::fputc('\n', out_);
  barOpen_ = false;
  std::fflush(out_);
}

void CaptureProgress::Draw(double fraction, double position, long frames) {
  position = std::max(position, from_);  // the first pass is drawn a hair before 0
  const double elapsed = Now() - started_;
  const bool settled = elapsed >= kSettleSeconds || (fraction >= 1.0 && elapsed > 0);
  char rate[32] = "--";
  if (settled) std::snprintf(rate, sizeof rate, "%.0f", frames / elapsed);
  std::string left = "--:--";
  if (fraction >= 1.0) left = "0:00";
  else if (fraction > 0.0 && settled) left = Clock(elapsed / fraction * (1.0 - fraction));
  if (terminal_) {
    const int filled = static_cast<int>(fraction * kBarCells);
    const std::string bar = std::string(static_cast<size_t>(filled), '#') + std::string(static_cast<size_t>(kBarCells - filled), '.');
    // \x1b[K clears what a longer earlier line left.
    std::fprintf(out_, "\r[%s] %5.1f/%.0f %6s fps %s left\x1b[K", bar.c_str(), position, to_, rate, left.c_str());
    barOpen_ = true;
  } else {
    std::fprintf(out_, "%3d%%  position %5.1f  %ld frames  %s fps  %s left\n", fraction >= 1.0 ? 100 : tenthsTold_ * 10,
                 position, frames, rate, left.c_str());
  }
  std::fflush(out_);
}
