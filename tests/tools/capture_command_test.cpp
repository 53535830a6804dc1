// The capture as a user runs it: the tool started as a process, with the real ffmpeg where the
// files must be checked, and a stand-in ffmpeg where a failure or an interrupt must be staged.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "capture_options.h"
#include "capture_run.h"
#include "capture_schedule.h"
#include "support/scratch.h"
#include "test_paths.h"

namespace {

namespace fs = std::filesystem;

struct ToolRun {
  int code = -1;  // exit status, or 128 + signal
  std::string out, err;
};

// Runs the tool with `args`; `path` replaces PATH when given. `watch` sees the stderr so far
// and the process id whenever more arrives (to interrupt it at the right moment).
ToolRun RunTool(const std::vector<std::string>& args, const std::string& path = "",
            const std::function<void(pid_t, const std::string&)>& watch = nullptr) {
  int out[2], err[2];
  ToolRun run;
  if (pipe(out) != 0 || pipe(err) != 0) return run;
  std::vector<std::string> words = {TAVRINE_TOOL_PATH};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    if (!path.empty()) setenv("PATH", path.c_str(), 1);
    dup2(out[1], 1);
    dup2(err[1], 2);
    close(out[0]);
    close(err[0]);
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(out[1]);
  close(err[1]);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(5);
  pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
  int open = 2;
  while (open > 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      ADD_FAILURE() << "the capture did not end within five minutes";
      break;
    }
    if (poll(fds, 2, 1000) <= 0) continue;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP))) continue;
      char buffer[4096];
      const ssize_t got = read(fds[i].fd, buffer, sizeof buffer);
      if (got <= 0) {
        close(fds[i].fd);
        fds[i].fd = -1;
        --open;
        continue;
      }
      (i == 0 ? run.out : run.err).append(buffer, static_cast<size_t>(got));
      if (i == 1 && watch) watch(pid, run.err);
    }
  }
  for (pollfd& f : fds)
    if (f.fd >= 0) close(f.fd);
  int status = 0;
  waitpid(pid, &status, 0);
  run.code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return run;
}

ToolRun Capture(std::vector<std::string> args, const std::string& path = "") {
  args.insert(args.begin(), "capture");
  args.push_back("--content");
  args.push_back(TAVRINE_CONTENT_DIR);
  return RunTool(args, path);
}

size_t Lines(const std::string& text) {
  size_t n = 0;
  for (char c : text) n += c == '\n';
  return n;
}

std::vector<std::string> Listing(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

fs::path FreshDir(const std::string& name) {
  const fs::path dir = fs::path(ScratchDir()) / name;
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}

// A stand-in ffmpeg: it lists what the capture asks for, then, as FAKE_MODE says, fails
// after a megabyte of input or copies its input into the output it was given. Its process
// id goes to FAKE_PID.
std::string FakeEncoderPath() {
  const fs::path bin = fs::path(ScratchDir()) / "fakebin";
  fs::create_directories(bin);
  std::ofstream(bin / "ffmpeg") << "#!/bin/sh\n"
                                   "case \"$*\" in\n"
                                   "  *-encoders*) [ \"$FAKE_MODE\" = bare ] && exit 0\n"
                                   "    printf ' V..... libx264 x\\n V..... libx264rgb x\\n A..... aac x\\n"
                                   " A..... flac x\\n V..... png x\\n'; exit 0;;\n"
                                   "  *-muxers*) printf '  E mp4 x\\n  E matroska x\\n  E mov x\\n  E image2 x\\n'; exit 0;;\n"
                                   "esac\n"
                                   "for last; do :; done\n"
                                   "echo $$ > \"$FAKE_PID\"\n"
                                   "if [ \"$FAKE_MODE\" = fail ]; then\n"
                                   "  head -c 1000000 >/dev/null; echo 'first words' >&2\n"
                                   "  echo 'fake: No space left on device' >&2; exit 1\n"
                                   "fi\n"
                                   "exec cat > \"$last\"\n";
  fs::permissions(bin / "ffmpeg", fs::perms::owner_all);
  return bin.string() + ":/usr/bin:/bin";
}

bool HaveFfmpeg() { return std::system("command -v ffmpeg >/dev/null && command -v ffprobe >/dev/null") == 0; }

// ffprobe's value of one entry, as text.
std::string Probe(const fs::path& file, const std::string& select, const std::string& entries) {
  const std::string command = "ffprobe -v error " + select + " -show_entries " + entries +
                              " -of default=noprint_wrappers=1:nokey=1 '" + file.string() + "'";
  FILE* pipe = popen(command.c_str(), "r");
  std::string text;
  char buffer[256];
  size_t got;
  while (pipe && (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) text.append(buffer, got);
  if (pipe) pclose(pipe);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

// Every frame of a video or picture, decoded by ffmpeg to 8-bit RGB.
std::vector<uint8_t> DecodeRgb(const std::string& input) {
  const std::string command = "ffmpeg -v error -i '" + input + "' -f rawvideo -pix_fmt rgb24 -";
  FILE* pipe = popen(command.c_str(), "r");
  std::vector<uint8_t> bytes;
  uint8_t buffer[65536];
  size_t got;
  while (pipe && (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) bytes.insert(bytes.end(), buffer, buffer + got);
  if (pipe) pclose(pipe);
  return bytes;
}

// The show's own frames for a range, as the capture's run hands them over.
std::vector<std::vector<uint32_t>> ShowFrames(double from, double to, int fps) {
  CaptureOptions options;
  options.content = TAVRINE_CONTENT_DIR;
  options.from = from;
  options.to = to;
  options.fps = fps;
  options.loading = from <= 0;
  std::vector<std::vector<uint32_t>> frames;
  const ShowCapture run = RunShowCapture(options, nullptr, [&](const std::vector<uint32_t>& frame, double) {
    frames.push_back(frame);
    return true;
  });
  EXPECT_EQ(run.code, 0) << run.error;
  return frames;
}

// Frame `index` of `rgb` (width x height), sampled back at the middle of each enlarged pixel,
// compared with the show's frame; also checks that every pixel of each block is the same and
// that the bars are black.
void ExpectSamePicture(const std::vector<uint8_t>& rgb, size_t index, int width, int height, const PictureLayout& l,
                       const std::vector<uint32_t>& shown, const std::string& what) {
  const size_t frameBytes = static_cast<size_t>(width) * height * 3;
  ASSERT_GE(rgb.size(), (index + 1) * frameBytes) << what;
  const uint8_t* f = rgb.data() + index * frameBytes;
  size_t wrong = 0, bars = 0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const uint8_t* p = f + (static_cast<size_t>(y) * width + x) * 3;
      const uint32_t got = (p[0] << 16) | (p[1] << 8) | p[2];
      const bool inside = x >= l.x && x < l.x + l.pictureWidth && y >= l.y && y < l.y + l.pictureHeight;
      if (!inside) {
        bars += got != 0;
        continue;
      }
      // The source pixel nearest the output pixel's middle, for whole and half steps alike.
      const int sx = ((x - l.x) * 4 + 2) / (2 * l.halfScale), sy = ((y - l.y) * 4 + 2) / (2 * l.halfScale);
      wrong += got != shown[static_cast<size_t>(sy) * 320 + sx];
    }
  }
  EXPECT_EQ(wrong, 0u) << what;
  EXPECT_EQ(bars, 0u) << what;
}

TEST(CaptureCommand, RefusesBeforeTheFirstFrameInOneLine) {
  const fs::path dir = FreshDir("refusals");
  struct Case {
    std::vector<std::string> args;
    int code;
    std::string says;
  };
  const fs::path existing = dir / "old.mp4";
  std::ofstream(existing) << "keep me";
  // Failures are one line; usage errors are followed by the command's usage line, as the
  // tool's other commands do.
  for (const Case& c : std::vector<Case>{
           {{"/missing/dir/a.mkv"}, 1, "the folder /missing/dir does not exist"},
           {{(dir / "noext").string()}, 1, "end it in .mp4, .mkv or .mov"},
           {{existing.string()}, 1, "exists: add --force to replace it"},
           {{(dir / "a.mkv").string(), "--size", "100x100"}, 2, "smaller than"},
           {{(dir / "a.mkv").string(), "--bogus"}, 2, "unknown option --bogus"},
           {{"--frames", existing.string()}, 1, "is not a folder"},
           {{(existing / "a.mkv").string()}, 1, existing.string() + " is not a folder"},
           {{dir.string()}, 1, "end it in"},
       }) {
    const ToolRun run = Capture(c.args);
    std::string line;
    for (const std::string& a : c.args) line += a + " ";
    EXPECT_EQ(run.code, c.code) << line << run.err;
    EXPECT_EQ(Lines(run.err), c.code == 2 ? 2u : 1u) << line << run.err;
    if (c.code == 2) {
      EXPECT_NE(run.err.find("\nusage: tavrine-tool capture "), std::string::npos) << run.err;
    }
    EXPECT_NE(run.err.find(c.says), std::string::npos) << line << run.err;
    EXPECT_EQ(run.err.rfind("tavrine-tool capture: ", 0), 0u) << run.err;
  }
  ToolRun run = RunTool({"capture", (dir / "a.mkv").string(), "--content", dir.string()});
  EXPECT_EQ(run.code, 1);
  EXPECT_NE(run.err.find("no content pack in"), std::string::npos) << run.err;
  EXPECT_EQ(Lines(run.err), 1u) << run.err;

  // No ffmpeg: said plainly. A WAV of the sound alone needs none.
  const fs::path empty = FreshDir("no-programs");
  run = Capture({(dir / "a.mkv").string()}, empty.string());
  EXPECT_EQ(run.code, 1);
  EXPECT_NE(run.err.find("the ffmpeg command is not installed"), std::string::npos) << run.err;
  EXPECT_EQ(Lines(run.err), 1u) << run.err;
  // The output is checked before ffmpeg is asked anything: that is what needs fixing first.
  run = Capture({"/missing/dir/a.mkv"}, empty.string());
  EXPECT_NE(run.err.find("the folder /missing/dir does not exist"), std::string::npos) << run.err;
  run = Capture({existing.string()}, empty.string());
  EXPECT_NE(run.err.find("exists: add --force"), std::string::npos) << run.err;
  // An ffmpeg without the encoders: said in one line, and the partial file claimed before
  // asking is gone.
  setenv("FAKE_MODE", "bare", 1);
  run = Capture({(dir / "a.mp4").string(), "--to", "1"}, FakeEncoderPath());
  unsetenv("FAKE_MODE");
  EXPECT_EQ(run.code, 1) << run.err;
  EXPECT_NE(run.err.find("this ffmpeg has no libx264 encoder"), std::string::npos) << run.err;
  EXPECT_EQ(Lines(run.err), 1u) << run.err;

  run = RunTool({"capture", "--help"});
  EXPECT_EQ(run.code, 0);
  EXPECT_NE(run.out.find("--quality lossless"), std::string::npos);
  EXPECT_TRUE(run.err.empty());

  EXPECT_EQ(Listing(dir), std::vector<std::string>{"old.mp4"});
  std::ifstream kept(existing);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "keep me");
}

TEST(CaptureCommand, AFailingEncoderLeavesNothingAndSaysWhy) {
  const std::string path = FakeEncoderPath();
  const fs::path dir = FreshDir("failing");
  const fs::path existing = dir / "show.mkv";
  std::ofstream(existing) << "an earlier capture";
  setenv("FAKE_MODE", "fail", 1);
  setenv("FAKE_PID", (dir.parent_path() / "fail.pid").c_str(), 1);
  ToolRun run = Capture({existing.string(), "--force", "--to", "30"}, path);
  EXPECT_EQ(run.code, 1) << run.err;
  EXPECT_NE(run.err.find("tavrine-tool capture: ffmpeg: fake: No space left on device\n"), std::string::npos) << run.err;
  EXPECT_LE(Lines(run.err), 14u) << run.err;
  // The earlier file is as it was, and nothing else is there.
  EXPECT_EQ(Listing(dir), std::vector<std::string>{"show.mkv"});
  std::ifstream kept(existing);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "an earlier capture");

  run = Capture({"--frames", (dir / "frames").string(), "--to", "30"}, path);
  EXPECT_EQ(run.code, 1) << run.err;
  EXPECT_EQ(Listing(dir), std::vector<std::string>{"show.mkv"});
  unsetenv("FAKE_MODE");
}

TEST(CaptureCommand, AnInterruptStopsTheEncoderAndLeavesNothing) {
  const std::string path = FakeEncoderPath();
  for (int signal : {SIGINT, SIGTERM}) {
    const fs::path dir = FreshDir("interrupted");
    const fs::path pidFile = dir.parent_path() / "interrupted.pid";
    fs::remove(pidFile);
    setenv("FAKE_PID", pidFile.c_str(), 1);
    bool sent = false;
    const ToolRun run = RunTool({"capture", (dir / "show.mp4").string(), "--content", TAVRINE_CONTENT_DIR}, path,
                            [&](pid_t pid, const std::string&) {
                              // Once the encoder has a good part of the picture, as after a few seconds.
                              std::error_code ec;
                              for (const auto& entry : fs::directory_iterator(dir, ec))
                                if (!sent && entry.file_size(ec) > (20u << 20)) sent = kill(pid, signal) == 0;
                            });
    ASSERT_TRUE(sent) << "the capture ended before it could be interrupted: " << run.err;
    EXPECT_EQ(run.code, 128 + signal) << run.err;
    EXPECT_NE(run.err.find("interrupted; nothing was written"), std::string::npos) << run.err;
    EXPECT_TRUE(Listing(dir).empty());
    // The encoder went with it.
    std::ifstream pidText(pidFile);
    pid_t encoder = 0;
    ASSERT_TRUE(pidText >> encoder);
    EXPECT_NE(kill(encoder, 0), 0);
  }
}

TEST(CaptureCommand, FrameCountLeadInAndSoundAgreeWithTheFile) {
  if (!HaveFfmpeg()) GTEST_SKIP() << "needs ffmpeg and ffprobe (scripts/setup.sh installs them)";
  const fs::path dir = FreshDir("counted");
  struct Case {
    int fps;
    double to;
  };
  // Ends between two passes, so that no position lands on `to` itself.
  for (const Case& c : std::vector<Case>{{1, 5}, {10, 3.1}, {25, 2}}) {
    const fs::path video = dir / ("lead-in-" + std::to_string(c.fps) + ".mkv");
    const ToolRun run = Capture({video.string(), "--size", "320x240", "--fps", std::to_string(c.fps), "--to",
                             std::to_string(c.to)});
    ASSERT_EQ(run.code, 0) << run.err;
    // The lead-in at this rate, then every pass before `to` (the first is at 0).
    const long passes = static_cast<long>(std::ceil(c.to / 1.2 * c.fps - 1e-9));
    const long frames = LeadInFrames(c.fps) + passes;
    EXPECT_EQ(Probe(video, "-count_frames -select_streams v", "stream=nb_read_frames"), std::to_string(frames))
        << c.fps << " fps";
    EXPECT_NE(run.err.find(": " + std::to_string(frames) + " frames ("), std::string::npos) << run.err;
    // Matroska shifts both streams by the AAC encoder's delay: count from the first picture.
    const double start = std::stod(Probe(video, "-select_streams v", "stream=start_time"));
    const double videoSeconds = std::stod(Probe(video, "-select_streams v", "stream_tags=DURATION").substr(6)) - start;
    const double audioSeconds = std::stod(Probe(video, "-select_streams a", "stream_tags=DURATION").substr(6)) - start;
    EXPECT_NEAR(videoSeconds, static_cast<double>(frames) / c.fps, 0.5 / c.fps) << c.fps << " fps";
    EXPECT_NEAR(audioSeconds, videoSeconds, 1.0 / c.fps) << c.fps << " fps";
    EXPECT_LE(Lines(run.err), 20u) << run.err;
  }
  // At one frame a second the video opens on the loading screen at its full bar.
  const std::vector<uint8_t> first = DecodeRgb((dir / "lead-in-1.mkv").string());
  ASSERT_GE(first.size(), 320u * 240 * 3);
  size_t white = 0;
  for (int y = 0; y < 240; ++y)
    for (int x = 310; x < 320; ++x) white += first[(static_cast<size_t>(y) * 320 + x) * 3] > 240;
  EXPECT_EQ(white, 2400u);
}

TEST(CaptureCommand, LosslessVideoAndFramesHoldTheShowsPixelsExactly) {
  if (!HaveFfmpeg()) GTEST_SKIP() << "needs ffmpeg and ffprobe (scripts/setup.sh installs them)";
  const fs::path dir = FreshDir("exact");
  const std::vector<std::vector<uint32_t>> shown = ShowFrames(8, 8.1, 60);
  ASSERT_EQ(shown.size(), 5u);

  const fs::path video = dir / "exact.mkv";
  ToolRun run = Capture({video.string(), "--quality", "lossless", "--size", "700x500", "--from", "8", "--to", "8.1"});
  ASSERT_EQ(run.code, 0) << run.err;
  PictureLayout layout;
  ASSERT_TRUE(LayoutPicture(700, 500, false, &layout, nullptr));
  std::vector<uint8_t> rgb = DecodeRgb(video.string());
  ASSERT_EQ(rgb.size(), 5u * 700 * 500 * 3);
  for (size_t i = 0; i < shown.size(); ++i)
    ExpectSamePicture(rgb, i, 700, 500, layout, shown[i], "lossless frame " + std::to_string(i));
  EXPECT_EQ(Probe(video, "-select_streams v", "stream=pix_fmt,color_space,color_range"), "gbrp\npc\ngbr");

  // Without bars the frames travel as planes: the same pixels and the same tags.
  run = Capture({video.string(), "--force", "--quality", "lossless", "--size", "640x480", "--from", "8", "--to", "8.1"});
  ASSERT_EQ(run.code, 0) << run.err;
  ASSERT_TRUE(LayoutPicture(640, 480, false, &layout, nullptr));
  rgb = DecodeRgb(video.string());
  ASSERT_EQ(rgb.size(), 5u * 640 * 480 * 3);
  for (size_t i = 0; i < shown.size(); ++i)
    ExpectSamePicture(rgb, i, 640, 480, layout, shown[i], "lossless frame from planes " + std::to_string(i));
  EXPECT_EQ(Probe(video, "-select_streams v", "stream=pix_fmt,color_space,color_range"), "gbrp\npc\ngbr");

  // The numbered pictures, at a half-step enlargement with bars.
  const fs::path frames = dir / "frames";
  run = Capture({"--frames", frames.string(), "--size", "1500x1080", "--from", "8", "--to", "8.1"});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(Listing(frames), (std::vector<std::string>{"000000.png", "000001.png", "000002.png", "000003.png",
                                                       "000004.png"}));
  ASSERT_TRUE(LayoutPicture(1500, 1080, false, &layout, nullptr));
  for (size_t i = 0; i < shown.size(); ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "%06zu.png", i);
    rgb = DecodeRgb((frames / name).string());
    ExpectSamePicture(rgb, 0, 1500, 1080, layout, shown[i], name);
  }

  // Into the same folder again: refused, then replaced with --force, others' files kept.
  std::ofstream(frames / "notes.txt") << "mine";
  run = Capture({"--frames", frames.string(), "--size", "320x240", "--from", "8", "--to", "8.05"});
  EXPECT_EQ(run.code, 1);
  EXPECT_NE(run.err.find("add --force"), std::string::npos) << run.err;
  run = Capture({"--frames", frames.string(), "--size", "320x240", "--from", "8", "--to", "8.05", "--force"});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(Listing(frames), (std::vector<std::string>{"000000.png", "000001.png", "000002.png", "notes.txt"}));
  EXPECT_EQ(Listing(dir), (std::vector<std::string>{"exact.mkv", "frames"}));
}

TEST(CaptureCommand, TheSoundAloneAsWavAndFlac) {
  if (!HaveFfmpeg()) GTEST_SKIP() << "needs ffmpeg and ffprobe (scripts/setup.sh installs them)";
  const fs::path dir = FreshDir("sound");
  ToolRun run = Capture({"--audio", (dir / "end.wav").string(), "--from", "116", "--to", "122"});
  ASSERT_EQ(run.code, 0) << run.err;
  run = Capture({"--audio", (dir / "end.flac").string(), "--from", "116", "--to", "122"});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_NEAR(std::stod(Probe(dir / "end.wav", "", "format=duration")), 5.0, 1.0 / 60);
  // The same samples in both.
  auto pcm = [](const fs::path& file) {
    FILE* pipe = popen(("ffmpeg -v error -i '" + file.string() + "' -f s16le -").c_str(), "r");
    std::string bytes;
    char buffer[65536];
    size_t got;
    while (pipe && (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) bytes.append(buffer, got);
    if (pipe) pclose(pipe);
    return bytes;
  };
  const std::string wav = pcm(dir / "end.wav");
  EXPECT_EQ(wav.size(), static_cast<size_t>(std::stod(Probe(dir / "end.wav", "", "format=duration")) * 44100 + 0.5) * 4);
  EXPECT_TRUE(wav == pcm(dir / "end.flac"));
  EXPECT_EQ(Listing(dir), (std::vector<std::string>{"end.flac", "end.wav"}));
}

}  // namespace
