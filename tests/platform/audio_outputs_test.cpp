#include "platform/audio_outputs.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}
uint16_t Le16(const std::vector<uint8_t>& b, size_t at) { return static_cast<uint16_t>(b[at] | (b[at + 1] << 8)); }

std::vector<uint8_t> ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

fs::path TempFile(const char* name) {
  return fs::temp_directory_path() / ("tavrine_audio_" + std::to_string(::getpid()) + "_" + name);
}

TEST(WavAudioOutput, FramesFollowTheFrameCounterWithoutDrift) {
  const fs::path path = TempFile("steps.wav");
  uint64_t n = 0;
  const int rate = 44100, fps = 24;  // 1837.5 sample frames per picture frame
  WavAudioOutput wav(path.string(), [&] { return n; }, fps);
  std::string error;
  ASSERT_TRUE(wav.Open(rate, &error)) << error;
  EXPECT_EQ(wav.FramesWanted(), 0);

  std::vector<int16_t> block(2 * 2000);
  uint64_t total = 0;
  for (n = 1; n <= 100; ++n) {
    const int wanted = wav.FramesWanted();
    const int64_t expected = static_cast<int64_t>(n * rate / fps) - static_cast<int64_t>((n - 1) * rate / fps);
    ASSERT_EQ(wanted, expected) << "frame " << n;
    for (int i = 0; i < wanted * 2; ++i) block[i] = static_cast<int16_t>(total + i);
    wav.Write(block.data(), wanted);
    total += static_cast<uint64_t>(wanted);
    EXPECT_EQ(wav.FramesWanted(), 0);
  }
  EXPECT_EQ(total, 100u * rate / fps);
  // A frame that renders less than wanted is made up at the next one (n is now 101).
  wav.Write(block.data(), 1000);
  EXPECT_EQ(wav.FramesWanted(), static_cast<int>(101u * rate / fps - total - 1000));
  wav.Write(block.data(), wav.FramesWanted());
  wav.Close();
  EXPECT_TRUE(wav.Error().empty());

  const std::vector<uint8_t> b = ReadAll(path);
  const uint64_t frames = 101u * rate / fps;
  ASSERT_EQ(b.size(), 44 + frames * 4);
  EXPECT_EQ(std::memcmp(b.data(), "RIFF", 4), 0);
  EXPECT_EQ(Le32(b, 4), b.size() - 8);
  EXPECT_EQ(std::memcmp(b.data() + 8, "WAVEfmt ", 8), 0);
  EXPECT_EQ(Le32(b, 16), 16u);
  EXPECT_EQ(Le16(b, 20), 1);  // PCM
  EXPECT_EQ(Le16(b, 22), 2);
  EXPECT_EQ(Le32(b, 24), 44100u);
  EXPECT_EQ(Le32(b, 28), 44100u * 4);
  EXPECT_EQ(Le16(b, 32), 4);
  EXPECT_EQ(Le16(b, 34), 16);
  EXPECT_EQ(std::memcmp(b.data() + 36, "data", 4), 0);
  EXPECT_EQ(Le32(b, 40), frames * 4);
  // Samples are stored little-endian in the order written.
  EXPECT_EQ(static_cast<int16_t>(Le16(b, 44)), 0);
  EXPECT_EQ(static_cast<int16_t>(Le16(b, 46)), 1);
  EXPECT_EQ(static_cast<int16_t>(Le16(b, 44 + 1837 * 4)), 1837);  // the second frame's block
  fs::remove(path);
}

TEST(WavAudioOutput, StartPadsSilenceAndBadPathsFailClearly) {
  const fs::path path = TempFile("start.wav");
  uint64_t n = 0;
  WavAudioOutput wav(path.string(), [&] { return n; }, 60);
  ASSERT_TRUE(wav.Open(48000, nullptr));
  n = 10;  // the music starts at the tenth frame
  wav.Start();
  EXPECT_EQ(wav.FramesWritten(), 8000u);
  EXPECT_EQ(wav.FramesWanted(), 0);
  wav.Start();  // starting again adds nothing
  EXPECT_EQ(wav.FramesWritten(), 8000u);
  wav.Close();
  wav.Close();  // a second close keeps the finished file
  std::vector<uint8_t> b = ReadAll(path);
  ASSERT_EQ(b.size(), 44u + 8000 * 4);
  EXPECT_EQ(Le32(b, 24), 48000u);
  EXPECT_EQ(Le32(b, 40), 8000u * 4);
  bool silent = true;
  for (size_t i = 44; i < b.size(); ++i) silent = silent && b[i] == 0;
  EXPECT_TRUE(silent);
  fs::remove(path);

  // An empty recording is still a valid file.
  n = 0;
  WavAudioOutput empty(path.string(), [&] { return n; }, 60);
  ASSERT_TRUE(empty.Open(44100, nullptr));
  empty.Close();
  b = ReadAll(path);
  ASSERT_EQ(b.size(), 44u);
  EXPECT_EQ(Le32(b, 4), 36u);
  EXPECT_EQ(Le32(b, 40), 0u);
  fs::remove(path);

  WavAudioOutput nowhere((fs::temp_directory_path() / "no_such_folder_here" / "x.wav").string(),
                         [&] { return n; }, 60);
  std::string error;
  EXPECT_FALSE(nowhere.Open(44100, &error));
  EXPECT_NE(error.find("cannot create"), std::string::npos) << error;
  n = 50;
  EXPECT_EQ(nowhere.FramesWanted(), 0);
  nowhere.Start();
  nowhere.Close();

  WavAudioOutput noFps(path.string(), [&] { return n; }, 0);
  EXPECT_FALSE(noFps.Open(44100, &error));
  EXPECT_FALSE(fs::exists(path));
}

TEST(SilentAudioOutput, AdvancesWithItsClockFromStart) {
  uint32_t now = 5000;
  SilentAudioOutput silent([&] { return now; });
  EXPECT_EQ(silent.FramesWanted(), 0);  // not open yet
  ASSERT_TRUE(silent.Open(44100, nullptr));
  EXPECT_EQ(silent.FramesWanted(), 0);
  now += 100;
  EXPECT_EQ(silent.FramesWanted(), 4410);
  silent.Write(nullptr, 4000);
  EXPECT_EQ(silent.FramesWanted(), 410);

  // Time before the music starts (loading) is not owed afterwards.
  now += 3000;
  silent.Start();
  EXPECT_EQ(silent.FramesWanted(), 0);
  now += 10;
  EXPECT_EQ(silent.FramesWanted(), 441);
  silent.Write(nullptr, 441);
  EXPECT_EQ(silent.FramesWritten(), 441u);

  // The millisecond counter wrapping round does not stop the music.
  now = 0xFFFFFFF0u;
  silent.Start();
  now += 0x20;
  EXPECT_EQ(silent.FramesWanted(), 32 * 44100 / 1000);
  silent.Close();
  EXPECT_EQ(silent.FramesWanted(), 0);
}

TEST(AudioOutputs, NullWantsNothingAndSdlFailsCleanlyWithoutACard) {
  NullAudioOutput null;
  EXPECT_TRUE(null.Open(44100, nullptr));
  EXPECT_EQ(null.FramesWanted(), 0);
  null.Close();

  // Tests run with no sound card: opening must fail with a reason (or, on a machine with
  // one, succeed and keep about a tenth of a second queued).
  SdlAudioOutput sdl;
  std::string error;
  if (sdl.Open(44100, &error)) {
    EXPECT_EQ(sdl.FramesWanted(), 4410);
    std::vector<int16_t> quiet(2 * 1000, 0);
    sdl.Write(quiet.data(), 1000);
    EXPECT_EQ(sdl.FramesWanted(), 3410);
  } else {
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(sdl.FramesWanted(), 0);
  }
  sdl.Close();
  sdl.Close();
}

}  // namespace
