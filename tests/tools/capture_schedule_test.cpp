#include "capture_schedule.h"

#include <gtest/gtest.h>

#include <cmath>

#include "capture_audio.h"
#include "capture_progress.h"
#include "capture_run.h"
#include "support/scratch.h"
#include "test_paths.h"

namespace {

CaptureOptions Options(double from, double to, int fps = 60, bool loading = true) {
  CaptureOptions o;
  o.from = from;
  o.to = to;
  o.fps = fps;
  o.loading = loading;
  return o;
}

TEST(CaptureLeadIn, LastsTheSameTimeAtEveryFrameRate) {
  EXPECT_EQ(LeadInFrames(60), 48);
  EXPECT_EQ(LeadInFrames(30), 24);
  EXPECT_EQ(LeadInFrames(25), 20);
  EXPECT_EQ(LeadInFrames(24), 19);
  EXPECT_EQ(LeadInFrames(1), 1);  // never none: the capture opens with its loading screen
  for (int fps = 2; fps <= 240; ++fps) {
    const double seconds = static_cast<double>(LeadInFrames(fps)) / fps;
    EXPECT_LE(std::fabs(seconds - CAPTURE_LOADING_SECONDS), 0.5 / fps + 1e-9) << fps;
  }
}

TEST(CaptureLeadIn, ShowsTheScreensInOrderAndEndsOnTheFullBar) {
  for (int screens : {1, 2, 43, 100}) {
    for (int fps : {1, 10, 24, 60, 240}) {
      const int frames = LeadInFrames(fps);
      int previous = 0;
      for (int i = 0; i < frames; ++i) {
        const int shown = LeadInSource(i, frames, screens);
        ASSERT_GE(shown, previous) << screens << " screens at " << fps << " fps, frame " << i;
        ASSERT_LT(shown, screens);
        previous = shown;
      }
      EXPECT_EQ(LeadInSource(frames - 1, frames, screens), screens - 1) << screens << " at " << fps;
      // With more frames than screens each screen gets its share and the first comes first.
      if (frames >= screens) {
        EXPECT_EQ(LeadInSource(0, frames, screens), 0);
      }
    }
  }
  EXPECT_EQ(LeadInSource(0, 48, 0), 0);  // no loading screens at all: nothing to index
}

TEST(CaptureSchedule, KeepsThePassesOfItsRange) {
  using Step = CaptureSchedule::Step;
  const CaptureSchedule whole(Options(0, 122));
  EXPECT_EQ(whole.LeadIn(), 48);
  EXPECT_TRUE(whole.FromStart());
  EXPECT_EQ(whole.OnPresent(false, 0.0f), Step::Loading);
  EXPECT_EQ(whole.OnPresent(true, -2.4e-8f), Step::Keep);  // the first pass, a hair before 0
  EXPECT_EQ(whole.OnPresent(true, 121.99f), Step::Keep);

  const CaptureSchedule part(Options(60, 64));
  EXPECT_EQ(part.LeadIn(), 0);
  EXPECT_FALSE(part.FromStart());
  EXPECT_EQ(part.OnPresent(true, 59.99f), Step::Skip);
  EXPECT_EQ(part.OnPresent(true, 60.0f), Step::Keep);
  EXPECT_EQ(part.OnPresent(true, 63.99f), Step::Keep);
  EXPECT_EQ(part.OnPresent(true, 64.0f), Step::Stop);
  EXPECT_DOUBLE_EQ(part.Fraction(62.0), 0.5);
  EXPECT_EQ(part.Fraction(50.0), 0.0);

  EXPECT_EQ(CaptureSchedule(Options(0, 10, 60, false)).LeadIn(), 0);
  EXPECT_EQ(CaptureSchedule(Options(0, 10, 25)).LeadIn(), 20);
}

// The sound a capture keeps: silence for the lead-in, then the music from the first kept
// pass to the last, each pass's share floor(n x rate / fps) exactly.
TEST(CaptureAudio, KeepsTheMusicOfTheKeptPassesAfterTheLeadIn) {
  std::vector<int16_t> kept;
  bool refuse = false;
  CaptureAudio audio(
      [&](const int16_t* s, uint64_t frames) {
        for (uint64_t i = 0; i < frames * 2; ++i) kept.push_back(s ? s[i] : 0);
        return !refuse;
      },
      24, 19, true);
  ASSERT_TRUE(audio.Open(44100, nullptr));
  audio.Start();
  const uint64_t silence = 19ull * 44100 / 24;
  EXPECT_EQ(kept.size(), silence * 2);

  // The library renders in pieces; a value per sample frame tells which pass it belongs to.
  std::vector<int16_t> block;
  uint64_t rendered = 0;
  auto poll = [&] {
    const int wanted = audio.FramesWanted();
    block.assign(static_cast<size_t>(wanted) * 2, 0);
    for (int i = 0; i < wanted; ++i) block[i * 2] = block[i * 2 + 1] = static_cast<int16_t>(rendered++ % 30000);
    audio.Write(block.data(), wanted);
  };
  for (uint64_t pass = 1; pass <= 10; ++pass) {
    poll();
    audio.SetPasses(pass);
  }
  poll();
  EXPECT_EQ(audio.FramesKept(), silence + 10ull * 44100 / 24);
  ASSERT_EQ(kept.size(), audio.FramesKept() * 2);
  EXPECT_EQ(kept[silence * 2], 0);
  EXPECT_EQ(kept[(silence + 1837) * 2], 1837);

  // Skipping drops the music but keeps time; keeping again resumes at the right sample.
  audio.Keep(false);
  for (uint64_t pass = 11; pass <= 20; ++pass) {
    audio.SetPasses(pass);
    poll();
  }
  const size_t before = kept.size();
  audio.Keep(true);
  audio.SetPasses(21);
  poll();
  EXPECT_EQ(kept.size() - before, (21ull * 44100 / 24 - 20ull * 44100 / 24) * 2);
  EXPECT_EQ(kept[before], static_cast<int16_t>(20ull * 44100 / 24 % 30000));

  // A sink that takes no more stops the sound for good.
  refuse = true;
  audio.SetPasses(22);
  poll();
  EXPECT_TRUE(audio.Failed());
  audio.SetPasses(30);
  EXPECT_EQ(audio.FramesWanted(), 0);

  // Not from the start: no lead-in, nothing kept until told.
  CaptureAudio later([&](const int16_t*, uint64_t) { return true; }, 60, 48, false);
  ASSERT_TRUE(later.Open(44100, nullptr));
  later.Start();
  later.SetPasses(60);
  const int wanted = later.FramesWanted();
  EXPECT_EQ(wanted, 44100);
  later.Write(nullptr, wanted);
  EXPECT_EQ(later.FramesKept(), 0u);
}

// The sound alone follows the show's own sound sample for sample, lead-in and fade included,
// and the show run hands over exactly the frames of its range.
TEST(CaptureRun, SoundAloneEqualsTheSoundOfTheShowRun) {
  // The whole show at ten passes a second, opening with its loading screens.
  CaptureOptions options = Options(0, 122, 10, true);
  options.content = TAVRINE_CONTENT_DIR;
  auto collect = [](std::vector<int16_t>* into) {
    return [into](const int16_t* s, uint64_t frames) {
      for (uint64_t i = 0; i < frames * 2; ++i) into->push_back(s ? s[i] : 0);
      return true;
    };
  };
  const CaptureSchedule schedule(options);
  std::vector<int16_t> alone, withPictures;
  CaptureAudio aloneAudio(collect(&alone), 10, schedule.LeadIn(), true);
  std::string error;
  ASSERT_TRUE(RenderShowAudio(options, &aloneAudio, nullptr, &error)) << error;

  CaptureAudio showAudio(collect(&withPictures), 10, schedule.LeadIn(), true);
  std::vector<double> positions;
  const ShowCapture run = RunShowCapture(options, &showAudio, [&](const std::vector<uint32_t>& frame, double position) {
    EXPECT_EQ(frame.size(), 320u * 240);
    positions.push_back(position);
    return true;
  });
  ASSERT_EQ(run.code, 0) << run.error;
  ASSERT_EQ(run.frames, static_cast<long>(positions.size()));
  // The lead-in, then every pass of the show 0.12 apart, the last before 122.
  ASSERT_GT(positions.size(), 8u);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(positions[static_cast<size_t>(i)], 0.0);
  EXPECT_NEAR(positions[9] - positions[8], 0.12, 0.002);
  EXPECT_LT(positions.back(), 122.0);
  EXPECT_EQ(run.frames, 8 + static_cast<long>(std::ceil(122 / 0.12)));

  // A sound of the frames' length, to the sample...
  EXPECT_NEAR(static_cast<double>(showAudio.FramesKept()), run.frames * 44100.0 / 10, 1.0);
  // ...that the sound alone matches, the fade's steps in the same places.
  ASSERT_EQ(alone.size(), withPictures.size());
  size_t differing = 0;
  for (size_t i = 0; i < alone.size(); ++i) differing += alone[i] != withPictures[i];
  EXPECT_EQ(differing, 0u);
  // Silence under the loading screens, and a fade at the end: the last second is far
  // quieter than one before the last segment.
  auto rms = [&](size_t from, size_t to) {
    double sum = 0;
    for (size_t i = from; i < to; ++i) sum += static_cast<double>(alone[i]) * alone[i];
    return std::sqrt(sum / static_cast<double>(to - from));
  };
  const size_t leadIn = 8 * 4410 * 2;
  EXPECT_EQ(rms(0, leadIn), 0.0);
  EXPECT_GT(rms(leadIn, leadIn + 88200), 500.0);
  EXPECT_LT(rms(alone.size() - 88200, alone.size()), rms(alone.size() - 20 * 88200, alone.size() - 19 * 88200) / 4);
}

TEST(CaptureProgress, ALogGetsALineEveryTenthAndTheTruth) {
  const std::string path = ScratchDir() + "progress.log";
  FILE* log = std::fopen(path.c_str(), "w+");
  ASSERT_NE(log, nullptr);
  double now = 0;
  CaptureProgress progress(log, false, 0, 122, [&] { return now; });
  progress.Phase("loading the show");
  for (long frame = 0; frame < 6100; ++frame) {
    now = frame / 100.0;
    progress.Update(-2.4e-8 + frame * 0.02, frame + 48);
  }
  progress.Done(6148);
  std::rewind(log);
  std::string text(1 << 16, '\0');
  text.resize(std::fread(text.data(), 1, text.size(), log));
  std::fclose(log);
  EXPECT_EQ(text.find('\r'), std::string::npos);
  EXPECT_EQ(text.find("-0.0"), std::string::npos);
  size_t lines = 0;
  for (char c : text) lines += c == '\n';
  EXPECT_EQ(lines, 11u) << text;  // the phase, 10% to 90%, and 100%
  EXPECT_NE(text.find(" 10%"), std::string::npos) << text;
  EXPECT_NE(text.find("100%  position 122.0  6148 frames"), std::string::npos) << text;
}

TEST(CaptureProgress, ATerminalGetsOneBarRedrawnAFewTimesASecondAndFilled) {
  const std::string path = ScratchDir() + "progress.tty";
  FILE* tty = std::fopen(path.c_str(), "w+");
  ASSERT_NE(tty, nullptr);
  double now = 0;
  CaptureProgress progress(tty, true, 60, 64, [&] { return now; });
  for (int frame = 0; frame < 200; ++frame) {
    now = frame / 60.0;  // drawing at real time: about four redraws a second
    progress.Update(60 + frame * 0.02, frame + 1);
  }
  progress.Done(200);
  progress.Phase("finishing the file");
  std::rewind(tty);
  std::string text(1 << 16, '\0');
  text.resize(std::fread(text.data(), 1, text.size(), tty));
  std::fclose(tty);
  size_t redraws = 0;
  for (char c : text) redraws += c == '\r';
  EXPECT_GE(redraws, 13u);
  EXPECT_LE(redraws, 16u);
  EXPECT_NE(text.find("[##############################]  64.0/64"), std::string::npos) << text;
  EXPECT_NE(text.find("0:00 left\x1b[K\nfinishing the file\n"), std::string::npos) << text;
  // The first bar comes before any rate can be known.
  EXPECT_EQ(text.find("\r[..............................]  60.0/64     -- fps --:-- left"), 0u) << text;
  EXPECT_NE(text.find(" 60 fps "), std::string::npos) << text;
}

}  // namespace
