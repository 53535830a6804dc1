// The whole show, offline, over a content pack in which bad files stand in for good ones:
// gone, cut short, bytes flipped, random bytes, a folder, a link that loops, a pipe with no
// writer, a link to /dev/zero, a file nobody may read. The show must play to its end (or, for
// the song, stop with the sound library's one line), each run must end in seconds, and in the
// sanitizer build nothing may be reported.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "support/run_command.h"
#include "support/scratch.h"
#include "test_paths.h"

namespace {

namespace fs = std::filesystem;

enum class Bad { Missing, Cut10, Cut100, Cut1000, FlipOnePercent, FlipTenPercent, RandomBytes, Folder, LinkLoop,
                 Pipe, LinkToDevZero, Unreadable };

const Bad kEveryBad[] = {Bad::Missing, Bad::Cut10, Bad::Cut100, Bad::Cut1000, Bad::FlipOnePercent,
                         Bad::FlipTenPercent, Bad::RandomBytes, Bad::Folder, Bad::LinkLoop, Bad::Pipe,
                         Bad::LinkToDevZero, Bad::Unreadable};

std::string Name(Bad bad) {
  switch (bad) {
    case Bad::Missing: return "Missing";
    case Bad::Cut10: return "CutTo10Bytes";
    case Bad::Cut100: return "CutTo100Bytes";
    case Bad::Cut1000: return "CutTo1000Bytes";
    case Bad::FlipOnePercent: return "OnePercentFlipped";
    case Bad::FlipTenPercent: return "TenPercentFlipped";
    case Bad::RandomBytes: return "RandomBytes";
    case Bad::Folder: return "Folder";
    case Bad::LinkLoop: return "LinkLoop";
    case Bad::Pipe: return "Pipe";
    case Bad::LinkToDevZero: return "LinkToDevZero";
    case Bad::Unreadable: return "Unreadable";
  }
  return "Unknown";
}

std::vector<char> Bytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Write(const fs::path& file, const std::vector<char>& bytes) {
  std::ofstream(file, std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Puts `bad` in place of `file`.
void Spoil(const fs::path& file, Bad bad, std::mt19937& rng) {
  std::vector<char> bytes = Bytes(file);
  auto replace = [&] { fs::remove(file); };
  switch (bad) {
    case Bad::Missing: replace(); break;
    case Bad::Cut10: bytes.resize(10); Write(file, bytes); break;
    case Bad::Cut100: bytes.resize(100); Write(file, bytes); break;
    case Bad::Cut1000: bytes.resize(1000); Write(file, bytes); break;
    case Bad::FlipOnePercent:
    case Bad::FlipTenPercent: {
      const size_t flips = bytes.size() / (bad == Bad::FlipOnePercent ? 100 : 10);
      for (size_t i = 0; i < flips; ++i) bytes[rng() % bytes.size()] ^= static_cast<char>(1 + rng() % 255);
      Write(file, bytes);
      break;
    }
    case Bad::RandomBytes:
      for (char& b : bytes) b = static_cast<char>(rng());
      Write(file, bytes);
      break;
    case Bad::Folder: replace(); fs::create_directory(file); break;
    case Bad::LinkLoop: replace(); fs::create_symlink(file.filename(), file); break;
    case Bad::Pipe: replace(); ASSERT_EQ(mkfifo(file.c_str(), 0644), 0); break;
    case Bad::LinkToDevZero: replace(); fs::create_symlink("/dev/zero", file); break;
    case Bad::Unreadable: fs::permissions(file, fs::perms::none); break;
  }
}

// A fresh copy of the pack, and a folder anyone may write the frame into.
fs::path CopyPack(const std::string& name) {
  const fs::path pack = fs::path(ScratchDir()) / name;
  fs::remove_all(pack);
  fs::copy(TAVRINE_CONTENT_DIR, pack, fs::copy_options::recursive);
  fs::create_directory(pack / "out");
  fs::permissions(pack / "out", fs::perms::all);
  return pack;
}

struct ShowRun {
  CommandResult result;
  double seconds = 0;
};

// The show played offline to its end (every frame, at a few frames a second), or jumped
// there. A file no one may read is read by no one: the superuser reads anything, so it plays
// as an ordinary user.
ShowRun PlayShow(const fs::path& pack, bool replay, bool asOrdinaryUser) {
  std::string command = "timeout -k 5 600 ";
  if (asOrdinaryUser && geteuid() == 0) command += "setpriv --reuid=65534 --regid=65534 --clear-groups ";
  command += std::string(TAVRINE_TOOL_PATH) + " frame 122 " + (pack / "out" / "last.png").string() +
             (replay ? " --replay --fps 4" : "") + " --content " + pack.string();
  const auto start = std::chrono::steady_clock::now();
  ShowRun run;
  run.result = RunCommand(command);
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return run;
}

bool SanitizerSpoke(const std::string& err) {
  for (const char* mark : {"Sanitizer", "runtime error", "SUMMARY:"})
    if (err.find(mark) != std::string::npos) return true;
  return false;
}

// Played to the end: exit 0, the last frame (a quarter of a second, 0.3 units, before the end
// at 4 frames a second) printed, nothing said on stderr.
void ExpectPlayedToTheEnd(const ShowRun& run, const std::string& what) {
  EXPECT_FALSE(SanitizerSpoke(run.result.err)) << what << ":\n" << run.result.err;
  EXPECT_EQ(run.result.code, 0) << what << ":\n" << run.result.err;
  EXPECT_EQ(run.result.err, "") << what;
  double position = 0;
  EXPECT_EQ(std::sscanf(run.result.out.c_str(), "position=%lf", &position), 1) << what << ": " << run.result.out;
  EXPECT_GE(position, 121.7) << what;
}

class BadFiles : public ::testing::TestWithParam<Bad> {};

// One picture (PCX), one picture surface (BMP), one scene (read twice by the show) and one
// texture (an 8-bit one, used by five scenes), all spoilt the same way at once.
TEST_P(BadFiles, TheShowPlaysToItsEnd) {
  const Bad bad = GetParam();
  const fs::path pack = CopyPack("pack-" + Name(bad));
  std::mt19937 rng(static_cast<unsigned>(bad) + 1);
  for (const char* file : {"Images/Pixel1.pcx", "Images/Disco.bmp", "Scenes/Scene3.3ds", "Textures/Marble.bmp"})
    Spoil(pack / file, bad, rng);
  const ShowRun run = PlayShow(pack, true, bad == Bad::Unreadable);
  ExpectPlayedToTheEnd(run, Name(bad));
  std::printf("%s: played to the end in %.1f s\n", Name(bad).c_str(), run.seconds);
  fs::remove_all(pack);
}

// The song spoilt: the sound library says in one line what is wrong and the show exits with
// status 1 (a song cut short or damaged may still play).
TEST_P(BadFiles, TheSongSaysWhatIsWrong) {
  const Bad bad = GetParam();
  const fs::path pack = CopyPack("song-" + Name(bad));
  std::mt19937 rng(static_cast<unsigned>(bad) + 100);
  Spoil(pack / "Music/DISCO.XM", bad, rng);
  const ShowRun run = PlayShow(pack, false, bad == Bad::Unreadable);
  const std::string& err = run.result.err;
  EXPECT_FALSE(SanitizerSpoke(err)) << err;
  const bool mayPlay = bad == Bad::FlipOnePercent || bad == Bad::FlipTenPercent || bad == Bad::Cut1000;
  if (mayPlay && run.result.code == 0) {
    ExpectPlayedToTheEnd(run, Name(bad));
  } else {
    EXPECT_EQ(run.result.code, 1) << err;
    EXPECT_EQ(err.rfind("tavrine-tool frame: Midas: The module file Music/DISCO.XM ", 0), 0u) << err;
    EXPECT_EQ(err.find('\n'), err.size() - 1) << "one line: " << err;
  }
  std::printf("%s: exit %d in %.1f s: %s", Name(bad).c_str(), run.result.code, run.seconds,
              err.empty() ? "\n" : err.c_str());
  fs::remove_all(pack);
}

INSTANTIATE_TEST_SUITE_P(HostilePack, BadFiles, ::testing::ValuesIn(kEveryBad),
                         [](const ::testing::TestParamInfo<Bad>& info) { return Name(info.param); });

class MissingFolder : public ::testing::TestWithParam<std::string> {};

TEST_P(MissingFolder, TheShowSaysOrPlaysOn) {
  const std::string folder = GetParam();
  const fs::path pack = CopyPack("without-" + folder);
  fs::remove_all(pack / folder);
  const ShowRun run = PlayShow(pack, folder != "Music", false);
  if (folder == "Music") {
    EXPECT_FALSE(SanitizerSpoke(run.result.err)) << run.result.err;
    EXPECT_EQ(run.result.code, 1);
    EXPECT_EQ(run.result.err, "tavrine-tool frame: Midas: The module file Music/DISCO.XM could not be opened.\n");
  } else {
    ExpectPlayedToTheEnd(run, "without " + folder);
  }
  std::printf("without %s: exit %d in %.1f s\n", folder.c_str(), run.result.code, run.seconds);
  fs::remove_all(pack);
}

INSTANTIATE_TEST_SUITE_P(HostilePack, MissingFolder, ::testing::Values("Images", "Textures", "Scenes", "Music"));

}  // namespace
