#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <libopenmpt/libopenmpt.hpp>
#include <sstream>

#include "content/content.h"
#include "content/song.h"
#include "content/song_synth.h"

namespace {

std::vector<uint8_t> SongBytes() {
  XmModule song;
  std::string error;
  std::vector<uint8_t> bytes;
  EXPECT_TRUE(BuildSong(&song, &error)) << error;
  EXPECT_TRUE(BuildXm(song, &bytes, &error)) << error;
  return bytes;
}

// Segment start positions of the show, in timeline units (1 unit = 1/1.2 s), one per order.
const double kOrderStarts[] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 72, 80, 88, 90, 98, 106, 114, 122};

TEST(Song, FollowsTheShowTimeline) {
  const std::vector<uint8_t> bytes = SongBytes();
  std::ostringstream log;
  openmpt::module mod(bytes, log);
  EXPECT_EQ(log.str(), "") << "the player complained while loading";
  EXPECT_EQ(mod.get_num_orders(), kSongOrders);
  EXPECT_EQ(mod.get_current_speed(), 6);
  EXPECT_EQ(mod.get_current_tempo(), 144);
  EXPECT_GE(mod.get_duration_seconds(), 102.0);
  EXPECT_LE(mod.get_duration_seconds(), 106.0);
  for (int o = 0; o < kSongOrders; ++o) {
    const int rows = mod.get_pattern_num_rows(mod.get_order_pattern(o));
    EXPECT_EQ(rows, o == 11 ? 16 : o == kSongOrders - 1 ? kSongTailRows : 64) << "order " << o;
    // Each order starts where its picture segment starts (libopenmpt rounds ticks to samples).
    const double seconds = mod.set_position_order_row(o, 0);
    EXPECT_NEAR(seconds, kOrderStarts[o] / 1.2, 0.05) << "order " << o;
  }
}

TEST(Song, RendersLoudEnoughWithoutClipping) {
  const std::vector<uint8_t> bytes = SongBytes();
  std::ostringstream log;
  openmpt::module mod(bytes, log);
  mod.ctl_set_text("play.at_end", "stop");
  constexpr int kRate = 44100;
  std::vector<float> pcm;
  std::vector<float> block(2 * 4096);
  for (;;) {
    const size_t frames = mod.read_interleaved_stereo(kRate, 4096, block.data());
    if (frames == 0) break;
    pcm.insert(pcm.end(), block.begin(), block.begin() + long(2 * frames));
  }
  const double seconds = double(pcm.size() / 2) / kRate;
  EXPECT_GE(seconds, 102.0);
  EXPECT_LE(seconds, 106.0);

  float peak = 0.0f;
  for (float v : pcm) peak = std::max(peak, std::fabs(v));
  EXPECT_LT(peak, 0.9f) << "peaks must stay below full scale";
  EXPECT_GT(peak, 0.25f);

  auto rms = [&](double from, double to) {
    const size_t a = size_t(from * kRate) * 2, b = std::min(pcm.size(), size_t(to * kRate) * 2);
    double sum = 0.0;
    for (size_t i = a; i < b; ++i) sum += double(pcm[i]) * pcm[i];
    return std::sqrt(sum / double(b - a));
  };
  // No gap anywhere after the first second: every quarter second carries sound.
  for (double t = 1.0; t + 0.25 <= seconds; t += 0.25) ASSERT_GT(rms(t, t + 0.25), 0.004) << "near-silence at " << t << " s";

  // Louder as the show builds: intro < credits < first drums < the plasma groove.
  const double intro = rms(0.0, 8 / 1.2), credits = rms(8 / 1.2, 16 / 1.2);
  const double drums = rms(16 / 1.2, 24 / 1.2), groove = rms(64 / 1.2, 88 / 1.2);
  EXPECT_LT(intro, credits);
  EXPECT_LT(credits, drums);
  EXPECT_LT(drums, groove);
}

uint64_t Fnv1a(const std::vector<uint8_t>& bytes) {
  uint64_t h = 14695981039346656037ull;
  for (uint8_t b : bytes) h = (h ^ b) * 1099511628211ull;
  return h;
}

TEST(Song, SameBytesEveryRun) {
  EXPECT_EQ(SongBytes(), SongBytes());
  // Pinned so that a compiler, library or machine that synthesises differently is caught.
  // Change it only together with a deliberate change to the song.
  EXPECT_EQ(Fnv1a(SongBytes()), 0xA2D739DB1F8958AAull) << "the song's bytes changed";

  const std::filesystem::path dir = std::filesystem::temp_directory_path() / ("song_test_" + std::to_string(getpid()));
  std::filesystem::create_directories(dir / "Music");
  std::string error;
  ASSERT_TRUE(WriteSongFile(dir.string(), &error)) << error;
  std::ifstream in(dir / "Music" / "DISCO.XM", std::ios::binary);
  const std::vector<uint8_t> file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  EXPECT_EQ(file, SongBytes());
  std::filesystem::remove_all(dir);

  EXPECT_FALSE(WriteSongFile("/nonexistent-dir", &error));
  EXPECT_FALSE(error.empty());
}

TEST(Song, LoopsJoinWithoutAClick) {
  XmModule song;
  std::string error;
  ASSERT_TRUE(BuildSong(&song, &error)) << error;
  for (const XmInstrument& ins : song.instruments) {
    const XmSample& s = ins.samples.at(0);
    ASSERT_GT(s.data.size(), 100u) << ins.name;
    int largest = 0;
    for (int16_t v : s.data) largest = std::max(largest, std::abs(int(v)));
    EXPECT_LT(largest, 32767) << ins.name << " touches full scale";
    if (s.loop == XM_LOOP_NONE) {  // one-shots start and stop at rest
      EXPECT_LT(std::abs(int(s.data.front())), 64) << ins.name;
      EXPECT_LT(std::abs(int(s.data.back())), 64) << ins.name;
      continue;
    }
    // Where the loop wraps, the step from its last sample back to its first is no bigger than
    // the steps inside it, and the sample before the loop is (within the fading attack) its last.
    const size_t start = s.loopStart, end = s.loopStart + s.loopLength;
    int steepest = 0;
    for (size_t i = start + 1; i < end; ++i) steepest = std::max(steepest, std::abs(s.data[i] - s.data[i - 1]));
    EXPECT_LE(std::abs(s.data[start] - s.data[end - 1]), steepest) << ins.name;
    if (start > 0) {
      EXPECT_LE(std::abs(s.data[start - 1] - s.data[end - 1]), 8) << ins.name;
    }
  }
}

TEST(SongSynth, DeterministicMathsMatchesTheLibrary) {
  for (double t = -2.0; t <= 2.0; t += 0.01) EXPECT_NEAR(SynthSin(t), std::sin(t * 2.0 * M_PI), 1e-12) << t;
  for (double x = -30.0; x <= 5.0; x += 0.37) EXPECT_NEAR(SynthExp(x) / std::exp(x), 1.0, 1e-12) << x;
  EXPECT_EQ(SynthExp(-800.0), 0.0);
  uint32_t state = 1;
  EXPECT_EQ(SynthNoise(&state), 1015568748u);
  EXPECT_EQ(SynthToPcm({0.0, 0.5, -1.0}, 0.5), (std::vector<int16_t>{0, 8192, -16383}));
  EXPECT_EQ(SynthToPcm({0.0, 0.0}, 0.9), (std::vector<int16_t>{0, 0}));
}

// Runs a command; returns its exit status and its output.
int RunCommand(const std::string& command, std::string* output) {
  FILE* p = popen((command + " 2>&1").c_str(), "r");
  if (!p) return -1;
  char buf[512];
  while (size_t n = fread(buf, 1, sizeof buf, p)) output->append(buf, n);
  return pclose(p);
}

bool OnPath(const char* program) {
  std::string out;
  return RunCommand(std::string("command -v ") + program, &out) == 0;
}

// Writes the song into a fresh folder, removed again when the test ends.
struct SongOnDisk {
  std::filesystem::path dir = std::filesystem::temp_directory_path() / ("song_players_" + std::to_string(getpid()));
  std::string file = (dir / "Music" / "DISCO.XM").string();
  SongOnDisk() {
    std::filesystem::create_directories(dir / "Music");
    std::string error;
    EXPECT_TRUE(WriteSongFile(dir.string(), &error)) << error;
  }
  ~SongOnDisk() { std::filesystem::remove_all(dir); }
};

TEST(Song, XmpPlaysIt) {
  if (!OnPath("xmp")) GTEST_SKIP() << "xmp is not installed";
  SongOnDisk song;
  std::string out;
  ASSERT_EQ(RunCommand("xmp --load-only '" + song.file + "'", &out), 0) << out;
  int minutes = 0, seconds = -1;
  const size_t at = out.find("Duration     : ");
  ASSERT_NE(at, std::string::npos) << out;
  ASSERT_EQ(std::sscanf(out.c_str() + at + 15, "%dmin%ds", &minutes, &seconds), 2) << out;
  EXPECT_GE(minutes * 60 + seconds, 102) << out;
  EXPECT_LE(minutes * 60 + seconds, 106) << out;
  out.clear();
  EXPECT_EQ(RunCommand("xmp -q -o /dev/null '" + song.file + "'", &out), 0) << out;  // plays it through
}

TEST(Song, Openmpt123PlaysIt) {
  if (!OnPath("openmpt123")) GTEST_SKIP() << "openmpt123 is not installed";
  SongOnDisk song;
  std::string out;
  ASSERT_EQ(RunCommand("openmpt123 --info '" + song.file + "'", &out), 0) << out;
  int minutes = 0;
  double seconds = -1;
  const size_t at = out.find("Duration...: ");
  ASSERT_NE(at, std::string::npos) << out;
  ASSERT_EQ(std::sscanf(out.c_str() + at + 13, "%d:%lf", &minutes, &seconds), 2) << out;
  EXPECT_GE(minutes * 60 + seconds, 102.0) << out;
  EXPECT_LE(minutes * 60 + seconds, 106.0) << out;
  EXPECT_EQ(out.find("rror"), std::string::npos) << out;
  EXPECT_EQ(out.find("arning"), std::string::npos) << out;
}

}  // namespace
