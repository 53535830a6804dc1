#include "platform/sound.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <chrono>
#include <vector>

#include "platform/audio_outputs.h"
#include "platform/system.h"

namespace {

namespace fs = std::filesystem;

void Put16(std::vector<uint8_t>& b, uint16_t v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& b, uint32_t v) {
  Put16(b, static_cast<uint16_t>(v));
  Put16(b, static_cast<uint16_t>(v >> 16));
}
void PutText(std::vector<uint8_t>& b, const char* text, size_t size) {
  for (size_t i = 0; i < size; ++i) b.push_back(i < std::strlen(text) ? static_cast<uint8_t>(text[i]) : 0);
}

// A two-channel XM song of 16 rows (about 1.9 s at speed 6, 125 BPM): one instrument whose
// looped 16-bit square wave sustains the notes played on rows 0 and 8.
std::vector<uint8_t> TinyXm() {
  std::vector<uint8_t> b;
  PutText(b, "Extended Module: ", 17);
  PutText(b, "tiny", 20);
  b.push_back(0x1A);
  PutText(b, "test writer", 20);
  Put16(b, 0x0104);
  Put32(b, 276);
  Put16(b, 1);    // song length
  Put16(b, 0);    // restart
  Put16(b, 2);    // channels
  Put16(b, 1);    // patterns
  Put16(b, 1);    // instruments
  Put16(b, 1);    // linear frequencies
  Put16(b, 6);    // speed
  Put16(b, 125);  // tempo
  for (int i = 0; i < 256; ++i) b.push_back(0);  // order table: pattern 0
  EXPECT_EQ(b.size(), 60u + 276u);

  const int rows = 16;
  std::vector<uint8_t> cells;
  for (int row = 0; row < rows; ++row) {
    for (int channel = 0; channel < 2; ++channel) {
      if (row == 0 && channel == 0) {
        cells.insert(cells.end(), {0x83, 49, 1});  // C-4, instrument 1
      } else if (row == 8 && channel == 1) {
        cells.insert(cells.end(), {0x83, 56, 1});  // G-4
      } else {
        cells.push_back(0x80);
      }
    }
  }
  Put32(b, 9);
  b.push_back(0);
  Put16(b, rows);
  Put16(b, static_cast<uint16_t>(cells.size()));
  b.insert(b.end(), cells.begin(), cells.end());

  const size_t instrumentStart = b.size();
  Put32(b, 263);
  PutText(b, "square", 22);
  b.push_back(0);
  Put16(b, 1);   // samples
  Put32(b, 40);  // sample header size
  b.resize(instrumentStart + 263, 0);  // keymap, envelopes (none), vibrato, fadeout

  const int sampleFrames = 64;
  Put32(b, sampleFrames * 2);  // length in bytes
  Put32(b, 0);                 // loop start
  Put32(b, sampleFrames * 2);  // loop length
  b.push_back(64);             // volume
  b.push_back(0);              // finetune
  b.push_back(0x11);           // forward loop, 16-bit
  b.push_back(128);            // panning
  b.push_back(0);              // relative note
  b.push_back(0);
  PutText(b, "square", 22);
  int16_t previous = 0;
  for (int i = 0; i < sampleFrames; ++i) {
    const int16_t value = (i % 32) < 16 ? 12000 : -12000;
    Put16(b, static_cast<uint16_t>(static_cast<int16_t>(value - previous)));
    previous = value;
  }
  return b;
}

// Records what the library writes; wants what it is owed up to `target` frames.
class CaptureOutput : public AudioOutput {
 public:
  bool Open(int sampleRate, std::string* error) override {
    rate = sampleRate;
    if (refuseOpen && error) *error = "no card in this test";
    return !refuseOpen;
  }
  int FramesWanted() override { return static_cast<int>(target - samples.size() / 2); }
  void Write(const int16_t* interleaved, int frames) override {
    EXPECT_LE(samples.size() / 2 + frames, target);
    samples.insert(samples.end(), interleaved, interleaved + frames * 2);
  }
  void Start() override { ++starts; }
  void Flush() override { ++flushes; }
  void Close() override { ++closes; }

  bool refuseOpen = false;
  size_t target = 0;
  int rate = 0;
  int starts = 0;
  int flushes = 0;
  int closes = 0;
  std::vector<int16_t> samples;
};

double Rms(const std::vector<int16_t>& s, size_t from, size_t to) {
  double sum = 0;
  for (size_t i = from; i < to; ++i) sum += static_cast<double>(s[i]) * s[i];
  return to > from ? std::sqrt(sum / static_cast<double>(to - from)) : 0.0;
}

class SoundTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("tavrine_sound_" + std::to_string(::getpid()));
    fs::create_directories(dir / "Music");
    const std::vector<uint8_t> xm = TinyXm();
    std::ofstream(dir / "Music" / "TINY.XM", std::ios::binary)
        .write(reinterpret_cast<const char*>(xm.data()), static_cast<std::streamsize>(xm.size()));
    std::ofstream(dir / "Music" / "BROKEN.XM", std::ios::binary) << "this is a text file, not a song\n";
    window.platform = &platform;
    platform.audio = &capture;
  }
  void TearDown() override {
    MIDASclose();
    for (MidasOperation op : {MidasOperation::Init, MidasOperation::LoadModule, MidasOperation::PlayModule,
                              MidasOperation::StopModule, MidasOperation::FreeModule, MidasOperation::Close})
      MidasRefuseForTesting(op, false);
    std::error_code ignored;
    fs::remove_all(dir, ignored);
  }
  bool Init() {
    MIDASstartup();
    MIDASsetOption(MIDAS_OPTION_WINDOW, reinterpret_cast<intptr_t>(&window));
    MIDASsetOption(MIDAS_OPTION_MIXRATE_BUFFER, 0);
    MIDASsetOption(MIDAS_OPTION_BUFFER_COUNT, 10);
    return MIDASinit() != 0;
  }
  // One picture frame's worth: a tenth of a second owed, then a poll.
  int Poll() {
    capture.target += 4410;
    return MIDASpoll();
  }
  std::string Song() const { return (dir / "Music" / "TINY.XM").string(); }
  // Plays the song at `volume` for `polls` polls and returns what was written.
  std::vector<int16_t> PlayAt(unsigned volume, int polls) {
    capture.samples.clear();
    capture.target = 0;
    EXPECT_TRUE(Init());
    MidasModule module = MIDASloadModule(Song().c_str());
    MidasPlayHandle play = MIDASplayModule(module, 1);
    EXPECT_NE(play, 0u);
    EXPECT_NE(MIDASsetPosition(play, 0), 0);
    EXPECT_NE(MIDASsetMusicVolume(play, volume), 0);
    for (int i = 0; i < polls; ++i) Poll();
    EXPECT_NE(MIDASstopModule(play), 0);
    EXPECT_NE(MIDASfreeModule(module), 0);
    EXPECT_NE(MIDASclose(), 0);
    return capture.samples;
  }

  fs::path dir;
  CaptureOutput capture;
  Platform platform;
  PlatformWindow window;
};

TEST_F(SoundTest, MusicIsAudibleAndScaledByVolume) {
  const std::vector<int16_t> full = PlayAt(64, 10);
  ASSERT_EQ(full.size(), 10u * 4410 * 2);
  EXPECT_EQ(capture.rate, 44100);
  EXPECT_EQ(capture.starts, 1);
  EXPECT_GT(Rms(full, 0, full.size()), 1000.0);

  const std::vector<int16_t> half = PlayAt(32, 10);
  const std::vector<int16_t> none = PlayAt(0, 10);
  ASSERT_EQ(half.size(), full.size());
  ASSERT_EQ(none.size(), full.size());
  int worst = 0;
  for (size_t i = 0; i < full.size(); ++i) worst = std::max(worst, std::abs(half[i] * 2 - full[i]));
  EXPECT_LE(worst, 2);  // half the amplitude, up to rounding of each sample
  EXPECT_EQ(Rms(none, 0, none.size()), 0.0);

  // Polling again from the start replays the same music: the song is not consumed by a load.
  EXPECT_EQ(PlayAt(64, 10), full);
}

TEST_F(SoundTest, SilenceAfterTheSongEndsKeepsTime) {
  // 16 rows at speed 6 and 125 BPM last 1.92 s; three seconds of polling go past the end.
  const std::vector<int16_t> s = PlayAt(64, 30);
  ASSERT_EQ(s.size(), 30u * 4410 * 2);
  const size_t endOfSong = static_cast<size_t>(1.92 * 44100) * 2;
  EXPECT_GT(Rms(s, endOfSong - 44100, endOfSong - 4410), 1000.0);
  EXPECT_EQ(Rms(s, endOfSong + 4410, s.size()), 0.0);
}

TEST_F(SoundTest, VolumeChangesTakeEffectAtTheNextPoll) {
  ASSERT_TRUE(Init());
  MidasPlayHandle play = MIDASplayModule(MIDASloadModule(Song().c_str()), 1);
  ASSERT_NE(play, 0u);
  Poll();
  EXPECT_NE(MIDASsetMusicVolume(play, 0), 0);
  Poll();
  EXPECT_NE(MIDASsetMusicVolume(play, 1000), 0);  // above the range: full volume
  Poll();
  const std::vector<int16_t>& s = capture.samples;
  ASSERT_EQ(s.size(), 3u * 4410 * 2);
  EXPECT_GT(Rms(s, 0, 8820), 1000.0);
  EXPECT_EQ(Rms(s, 8820, 17640), 0.0);
  EXPECT_GT(Rms(s, 17640, 26460), 1000.0);
}

TEST_F(SoundTest, BadFilesGiveZeroHandlesAndSentences) {
  ASSERT_TRUE(Init());
  const fs::path previous = fs::current_path();
  fs::current_path(dir);  // show names are relative to the content folder
  const MidasModule missing = MIDASloadModule("Music\\DISCO.XM");
  const MidasModule corrupt = MIDASloadModule("Music\\BROKEN.XM");
  const std::string corruptText = MIDASgetErrorMessage(MIDASgetLastError());
  const MidasModule good = MIDASloadModule("Music\\TINY.XM");
  fs::current_path(previous);

  EXPECT_EQ(missing, 0u);
  EXPECT_EQ(corrupt, 0u);
  EXPECT_EQ(corruptText, "The module file Music/BROKEN.XM is not a module the player can read.");
  EXPECT_NE(good, 0u);

  EXPECT_EQ(MIDASloadModule((dir / "Music" / "NOPE.XM").string().c_str()), 0u);
  EXPECT_NE(MIDASgetLastError(), 0);
  EXPECT_EQ(std::string(MIDASgetErrorMessage(MIDASgetLastError())),
            "The module file " + (dir / "Music" / "NOPE.XM").string() + " could not be opened.");

  // A file cut short inside its pattern data is refused, not read past its end.
  std::vector<uint8_t> cut = TinyXm();
  cut.resize(340);
  std::ofstream(dir / "Music" / "CUT.XM", std::ios::binary)
      .write(reinterpret_cast<const char*>(cut.data()), static_cast<std::streamsize>(cut.size()));
  // Whether the player accepts what is left is its call; either way nothing breaks.
  const MidasModule shortModule = MIDASloadModule((dir / "Music" / "CUT.XM").string().c_str());
  if (shortModule == 0) {
    EXPECT_NE(MIDASgetLastError(), 0);
  } else {
    EXPECT_NE(MIDASplayModule(shortModule, 1), 0u);
    EXPECT_NE(Poll(), 0);
  }
  std::ofstream(dir / "Music" / "EMPTY.XM", std::ios::binary);
  EXPECT_EQ(MIDASloadModule((dir / "Music" / "EMPTY.XM").string().c_str()), 0u);
  EXPECT_EQ(MIDASloadModule(nullptr), 0u);
}

TEST_F(SoundTest, MissingShowModuleNamesTheShowPath) {
  ASSERT_TRUE(Init());
  const fs::path previous = fs::current_path();
  fs::current_path(dir);
  fs::remove(dir / "Music" / "DISCO.XM");
  EXPECT_EQ(MIDASloadModule("Music\\DISCO.XM"), 0u);
  fs::current_path(previous);
  EXPECT_STREQ(MIDASgetErrorMessage(MIDASgetLastError()), "The module file Music/DISCO.XM could not be opened.");
}

TEST_F(SoundTest, UnknownHandlesAndRefusalsFail) {
  ASSERT_TRUE(Init());
  const MidasModule module = MIDASloadModule(Song().c_str());
  const MidasPlayHandle play = MIDASplayModule(module, 1);
  ASSERT_NE(play, 0u);

  EXPECT_EQ(MIDASstopModule(play + 1000), 0);
  EXPECT_EQ(MIDASfreeModule(module + 1000), 0);
  EXPECT_EQ(MIDASplayModule(module + 1000, 1), 0u);
  EXPECT_EQ(MIDASsetMusicVolume(play + 1000, 10), 0);
  EXPECT_EQ(MIDASsetPosition(play, 99), 0);  // the song has one order
  EXPECT_EQ(MIDASsetOption(1234, 0), 0);

  MidasRefuseForTesting(MidasOperation::StopModule, true);
  EXPECT_EQ(MIDASstopModule(play), 0);
  EXPECT_STREQ(MIDASgetErrorMessage(MIDASgetLastError()), "The sound library refused to stop the module (test).");
  MidasRefuseForTesting(MidasOperation::StopModule, false);
  EXPECT_NE(MIDASstopModule(play), 0);
  EXPECT_EQ(MIDASstopModule(play), 0);  // already stopped

  MidasRefuseForTesting(MidasOperation::FreeModule, true);
  EXPECT_EQ(MIDASfreeModule(module), 0);
  MidasRefuseForTesting(MidasOperation::FreeModule, false);
  EXPECT_NE(MIDASfreeModule(module), 0);

  MidasRefuseForTesting(MidasOperation::LoadModule, true);
  EXPECT_EQ(MIDASloadModule(Song().c_str()), 0u);
  MidasRefuseForTesting(MidasOperation::LoadModule, false);
  MidasRefuseForTesting(MidasOperation::PlayModule, true);
  EXPECT_EQ(MIDASplayModule(MIDASloadModule(Song().c_str()), 1), 0u);
  MidasRefuseForTesting(MidasOperation::PlayModule, false);

  MidasRefuseForTesting(MidasOperation::Close, true);
  EXPECT_EQ(MIDASclose(), 0);
  EXPECT_NE(MIDASgetLastError(), 0);
  MidasRefuseForTesting(MidasOperation::Close, false);
  EXPECT_NE(MIDASclose(), 0);
  EXPECT_EQ(MIDASclose(), 0);  // closing twice is an error, not a crash

  // A refused init survives startup, as the show arms it before starting the library.
  MidasRefuseForTesting(MidasOperation::Init, true);
  EXPECT_FALSE(Init());
  EXPECT_STREQ(MIDASgetErrorMessage(MIDASgetLastError()), "The sound library refused to start (test).");
  EXPECT_EQ(MIDASloadModule(Song().c_str()), 0u);  // nothing runs after a failed init
  MidasRefuseForTesting(MidasOperation::Init, false);

  EXPECT_STREQ(MIDASgetErrorMessage(0), "No error.");
  EXPECT_TRUE(Init());
  EXPECT_EQ(MIDASgetLastError(), 0);
}

TEST_F(SoundTest, FailingOutputFallsBackToSilenceThatStillAdvances) {
  capture.refuseOpen = true;
  testing::internal::CaptureStderr();
  ASSERT_TRUE(Init());
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_EQ(said, "no audio device: playing silently (no card in this test)\n");

  const MidasPlayHandle play = MIDASplayModule(MIDASloadModule(Song().c_str()), 1);
  ASSERT_NE(play, 0u);
  EXPECT_EQ(capture.starts, 0);  // the refused output is left alone
  EXPECT_NE(MIDASpoll(), 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(250));
  EXPECT_NE(MIDASpoll(), 0);
  EXPECT_TRUE(capture.samples.empty());
  // The silent output keeps real time, so the song moves on at its own pace.
  EXPECT_GT(MidasPlayedSeconds(play), 0.2);
  EXPECT_LT(MidasPlayedSeconds(play), 1.5);
  EXPECT_LT(MidasPlayedSeconds(play + 1000), 0.0);

  // No window (or a platform without audio) also plays silently.
  MIDASclose();
  testing::internal::CaptureStderr();
  MIDASstartup();
  EXPECT_NE(MIDASinit(), 0);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("playing silently"), std::string::npos);
}

TEST_F(SoundTest, OfflineWavHoldsTheMusicInStepWithFrames) {
  uint64_t frame = 0;
  WavAudioOutput wav((dir / "music.wav").string(), [&] { return frame; }, 60);
  platform.audio = &wav;
  ASSERT_TRUE(Init());
  frame = 5;  // loading took five frames before the music starts
  const MidasPlayHandle play = MIDASplayModule(MIDASloadModule(Song().c_str()), 1);
  ASSERT_NE(play, 0u);
  for (frame = 6; frame <= 66; ++frame) MIDASpoll();
  EXPECT_NE(MIDASclose(), 0);
  EXPECT_EQ(wav.FramesWritten(), 66u * 44100 / 60);
  EXPECT_TRUE(wav.Error().empty());

  std::ifstream in(dir / "music.wav", std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_EQ(bytes.size(), 44u + 66u * 735 * 4);
  std::vector<int16_t> samples(bytes.size() / 2 - 22);
  std::memcpy(samples.data(), bytes.data() + 44, samples.size() * 2);
  const size_t padded = 5 * 735 * 2;
  EXPECT_EQ(Rms(samples, 0, padded), 0.0);  // silence before the music started
  EXPECT_GT(Rms(samples, padded, samples.size()), 1000.0);

  // At one picture a second each poll still delivers the whole second of music.
  WavAudioOutput slow((dir / "slow.wav").string(), [&] { return frame; }, 1);
  platform.audio = &slow;
  frame = 0;
  ASSERT_TRUE(Init());
  ASSERT_NE(MIDASplayModule(MIDASloadModule(Song().c_str()), 1), 0u);
  for (frame = 1; frame <= 3; ++frame) {
    MIDASpoll();
    EXPECT_EQ(slow.FramesWritten(), frame * 44100);
  }
  EXPECT_NE(MIDASclose(), 0);
}

}  // namespace

namespace {

TEST_F(SoundTest, SeekingPlaysOnFromTheSampleAskedFor) {
  const std::vector<int16_t> straight = PlayAt(64, 15);  // 1.5 s from the start

  capture.samples.clear();
  capture.target = 0;
  ASSERT_TRUE(Init());
  MidasModule module = MIDASloadModule(Song().c_str());
  MidasPlayHandle play = MIDASplayModule(module, 1);
  ASSERT_NE(play, 0u);
  Poll();
  // 0.7 s is inside a row: the library's own seek lands on a row's start.
  ASSERT_NE(MidasSeekSeconds(play, 0.7), 0);
  EXPECT_EQ(capture.flushes, 1);
  EXPECT_NEAR(MidasPlayedSeconds(play), 0.7, 0.001);
  capture.samples.clear();
  capture.target = 0;
  for (int i = 0; i < 5; ++i) Poll();
  const size_t from = 30870 * 2;  // 0.7 s of stereo frames
  ASSERT_EQ(capture.samples.size(), 5u * 4410 * 2);
  double difference = 0;
  for (size_t i = 0; i < capture.samples.size(); ++i) difference = std::max(difference, std::fabs(capture.samples[i] - static_cast<double>(straight[from + i])));
  EXPECT_LE(difference, 2.0) << "the music after the jump is not the music at that time";

  // Back to the start, and past the end (silence, and no failure).
  ASSERT_NE(MidasSeekSeconds(play, 0), 0);
  EXPECT_NEAR(MidasPlayedSeconds(play), 0.0, 1e-9);
  ASSERT_NE(MidasSeekSeconds(play, 60), 0);
  capture.samples.clear();
  capture.target = 0;
  Poll();
  EXPECT_EQ(Rms(capture.samples, 0, capture.samples.size()), 0.0);
  EXPECT_EQ(MidasSeekSeconds(play, -1), 0);
  EXPECT_EQ(MidasSeekSeconds(play + 100, 1), 0);
  MIDASstopModule(play);
  MIDASfreeModule(module);
}

}  // namespace
