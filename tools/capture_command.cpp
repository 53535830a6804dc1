#include "capture_command.h"

#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "capture_audio.h"
#include "capture_options.h"
#include "capture_progress.h"
#include "capture_run.h"
#include "capture_schedule.h"
#include "command_line.h"
#include "encoder_process.h"
#include "offline_show.h"  // DefaultContentDir
#include "partial_output.h"
#include "platform/audio_outputs.h"

static const ToolCommand kCapture{
    "capture", "(OUT.mp4|OUT.mkv|OUT.mov | --frames DIR | --audio OUT.wav|OUT.flac) [options]",
    "Renders the show offline with its music, through the ffmpeg command.\n"
    "  OUT.mp4|.mkv|.mov    a video (the container follows the name)\n"
    "  --frames DIR         numbered PNG pictures (000000.png, ...) instead of a video\n"
    "  --audio FILE         the sound alone, as .wav or .flac, without drawing the pictures\n"
    "  --size WxH           frame size (default 1280x960); the picture is enlarged by the largest\n"
    "                       whole number that fits, by halves from 4.5 up (1920x1080: 1440x1080),\n"
    "                       nearest neighbour, centred on black\n"
    "  --quality web        H.264 4:2:0 CRF 18, AAC 192 kb/s (default)\n"
    "  --quality high       H.264 4:4:4 CRF 12, FLAC in .mkv, AAC 320 kb/s otherwise\n"
    "  --quality lossless   H.264 RGB lossless with FLAC, in .mkv: the pixels exactly as drawn\n"
    "  --fps N              frames per second, 1 to 240 (default 60)\n"
    "  --from P, --to P     timeline positions 0 to 122 (one unit is 1/1.2 s); a capture from 0\n"
    "                       opens with the loading screens (0.8 s, silent)\n"
    "  --no-loading         start at position 0 without the loading screens\n"
    "  --force              replace an existing output\n"
    "  --content DIR        the content pack (default: the one beside the tool, else the installed one)\n"};

namespace {

int Fail(const std::string& why) {
  std::fprintf(stderr, "tavrine-tool capture: %s\n", why.c_str());
  return 1;
}

// The end of an interrupted capture: nothing of it is left, and the caller sees the signal.
int Interrupted(PartialOutput& out) {
  out.Discard();
  std::fprintf(stderr, "tavrine-tool capture: interrupted; nothing was written\n");
  return 128 + InterruptGuard::Signal();
}

double Seconds() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

double OwnCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

std::string Duration(double seconds) {
  const long hundredths = static_cast<long>(seconds * 100.0 + 0.5);
  char text[32];
  std::snprintf(text, sizeof text, "%ld:%02ld.%02ld", hundredths / 6000, hundredths / 100 % 60, hundredths % 100);
  return text;
}

std::string Bytes(uint64_t bytes) {
  char text[32];
  if (bytes >= 1000000000ull) std::snprintf(text, sizeof text, "%.2f GB", static_cast<double>(bytes) / 1e9);
  else if (bytes >= 1000000ull) std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / 1e6);
  else std::snprintf(text, sizeof text, "%.1f kB", static_cast<double>(bytes) / 1e3);
  return text;
}

std::string Size(int width, int height) { return std::to_string(width) + "x" + std::to_string(height); }

// The names ffmpeg lists under -encoders or -muxers (second column; muxers may list several).
std::set<std::string> ListedNames(const std::string& listing) {
  std::set<std::string> names;
  std::istringstream lines(listing);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream words(line);
    std::string flags, name;
    if (!(words >> flags >> name) || flags.find('=') != std::string::npos) continue;
    size_t start = 0;
    while (start <= name.size()) {
      const size_t comma = name.find(',', start);
      names.insert(name.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
      if (comma == std::string::npos) break;
      start = comma + 1;
    }
  }
  return names;
}

// ffmpeg on PATH, with the encoders and muxers this capture needs.
bool CheckEncoder(const CaptureOptions& options, std::string* error) {
  if (FindOnPath("ffmpeg").empty()) {
    *error = "the ffmpeg command is not installed (apt-get install ffmpeg)";
    return false;
  }
  std::string listing;
  for (const char* topic : {"-encoders", "-muxers"}) {
    if (!RunForOutput({"ffmpeg", "-hide_banner", topic}, &listing)) {
      *error = std::string("ffmpeg ") + topic + " failed: is ffmpeg working?";
      return false;
    }
    const std::set<std::string> have = ListedNames(listing);
    const bool encoders = std::strcmp(topic, "-encoders") == 0;
    for (const std::string& needed : encoders ? NeededEncoders(options) : NeededMuxers(options)) {
      if (!have.count(needed)) {
        *error = "this ffmpeg has no " + needed + (encoders ? " encoder" : " muxer") + ", which " +
                 DescribeOutput(options) + " needs";
        return false;
      }
    }
  }
  return true;
}

// Music as the encoder reads it: 16-bit little-endian, silence where there is no source.
bool SendSamples(EncoderProcess& encoder, int input, const int16_t* samples, uint64_t frames) {
  uint8_t buffer[16384];
  const uint64_t perChunk = sizeof buffer / 4;
  for (uint64_t done = 0; done < frames;) {
    const uint64_t n = std::min(perChunk, frames - done);
    for (uint64_t i = 0; i < n * 2; ++i) {
      const auto s = static_cast<uint16_t>(samples ? samples[(done * 2) + i] : 0);
      buffer[i * 2] = static_cast<uint8_t>(s);
      buffer[i * 2 + 1] = static_cast<uint8_t>(s >> 8);
    }
    if (!encoder.Write(input, buffer, static_cast<size_t>(n * 4))) return false;
    done += n;
  }
  return true;
}

std::string Speed(double wall, double shown) {
  char text[96];
  std::snprintf(text, sizeof text, "in %.1f s (%.1fx real time; drawing and feeding %.1f s of CPU)", wall,
                wall > 0 ? shown / wall : 0.0, OwnCpuSeconds());
  return text;
}

// --audio: the sound alone, without drawing a frame.
int CaptureSound(const CaptureOptions& options, PartialOutput& out, CaptureProgress& progress) {
  const double started = Seconds();
  EncoderProcess encoder;
  WavFile wav;
  std::string error;
  const bool flac = options.audioType == AudioFileType::Flac;
  if (flac ? !encoder.Start(EncoderCommand(options, out.Path(), MIDAS_MIX_RATE), 1, &error)
           : !wav.Create(out.Path(), MIDAS_MIX_RATE, &error)) {
    out.Discard();
    return Fail(error);
  }
  const CaptureSchedule schedule(options);
  CaptureAudio audio(
      [&](const int16_t* samples, uint64_t frames) {
        return flac ? SendSamples(encoder, 0, samples, frames) : wav.Append(samples, frames);
      },
      options.fps, schedule.LeadIn(), schedule.FromStart());
  progress.Phase("rendering the sound");
  long passes = 0;
  const bool played = RenderShowAudio(
      options, &audio,
      [&](double position) {
        progress.Update(position, ++passes);
        return InterruptGuard::Signal() == 0 && !audio.Failed();
      },
      &error);
  if (InterruptGuard::Signal() != 0) {
    encoder.Kill();
    wav.Finish();
    return Interrupted(out);
  }
  if (!played || audio.Failed()) {
    std::string why = played ? "" : error;
    if (flac) encoder.Finish(&why);
    wav.Finish();
    if (!wav.Error().empty()) why = wav.Error();
    out.Discard();
    return Fail(why.empty() ? "the sound could not be written" : why);
  }
  if (audio.FramesKept() == 0) {
    encoder.Kill();
    wav.Finish();
    out.Discard();
    return Fail("no sound falls between --from and --to");
  }
  progress.Done(passes);
  if (flac ? !encoder.Finish(&error) : !wav.Finish()) {
    if (!flac) error = wav.Error();
    if (InterruptGuard::Signal() != 0) return Interrupted(out);
    out.Discard();
    return Fail(error);
  }
  if (!out.Commit(&error)) return Fail(error);
  const double shown = static_cast<double>(audio.FramesKept()) / MIDAS_MIX_RATE;
  std::fprintf(stderr, "wrote %s: %s of sound (%d Hz, 16-bit stereo, %s), %s, %s\n", out.Target().c_str(),
               Duration(shown).c_str(), MIDAS_MIX_RATE, DescribeOutput(options).c_str(), Bytes(out.Bytes()).c_str(),
               Speed(Seconds() - started, shown).c_str());
  return 0;
}

// A video or a frames folder: the show run offline, its frames (and music) piped to ffmpeg.
int CapturePictures(const CaptureOptions& options, PartialOutput& out, CaptureProgress& progress) {
  const double started = Seconds();
  const bool video = options.kind == CaptureKind::Video;
  EncoderProcess encoder;
  std::string error;
  if (!encoder.Start(EncoderCommand(options, out.Path(), MIDAS_MIX_RATE), video ? 2 : 1, &error)) {
    out.Discard();
    return Fail(error);
  }

  const CaptureSchedule schedule(options);
  CaptureAudio audio([&](const int16_t* samples, uint64_t frames) { return SendSamples(encoder, 1, samples, frames); },
                     options.fps, schedule.LeadIn(), schedule.FromStart());
  char phase[96];
  std::snprintf(phase, sizeof phase, "loading the show and going to position %g", options.from);
  progress.Phase(schedule.FromStart() ? "loading the show" : phase);

  long frames = 0;
  const bool planes = SendsPlanes(options);
  std::vector<uint8_t> planar;
  const ShowCapture run = RunShowCapture(options, video ? &audio : nullptr, [&](const std::vector<uint32_t>& frame,
                                                                                 double position) {
    if (InterruptGuard::Signal() != 0 || audio.Failed()) return false;
    if (planes) SplitIntoPlanes(frame.data(), &planar);
    const bool sent = planes ? encoder.Write(0, planar.data(), planar.size())
                             : encoder.Write(0, frame.data(), frame.size() * sizeof(uint32_t));
    if (!sent) return false;
    progress.Update(position, ++frames);
    return true;
  });
  if (InterruptGuard::Signal() != 0) {
    encoder.Kill();
    return Interrupted(out);
  }
  if (run.code != 0) {
    encoder.Kill();
    out.Discard();
    return Fail(run.error);
  }
  if (run.stoppedByCaller || audio.Failed()) {
    std::string message;
    encoder.Finish(&message);  // its own last words say why it stopped taking frames
    if (InterruptGuard::Signal() != 0) return Interrupted(out);
    out.Discard();
    return Fail(message.empty() ? "the encoder stopped taking frames" : message);
  }
  if (frames == 0) {
    encoder.Kill();
    out.Discard();
    return Fail("no frame of the show falls between --from and --to at " + std::to_string(options.fps) + " fps");
  }
  progress.Done(frames);
  progress.Phase(video ? "finishing the file" : "finishing the pictures");
  if (!encoder.Finish(&error)) {
    if (InterruptGuard::Signal() != 0) return Interrupted(out);
    out.Discard();
    return Fail(error);
  }
  if (!out.Commit(&error)) return Fail(error);

  const double shown = static_cast<double>(frames) / options.fps;
  const PictureLayout& l = options.layout;
  std::string picture = Size(l.width, l.height);
  if (l.pictureWidth != l.width || l.pictureHeight != l.height)
    picture += " (picture " + Size(l.pictureWidth, l.pictureHeight) + ")";
  char numbered[64] = "";
  std::snprintf(numbered, sizeof numbered, "000000.png to %06ld.png in ", frames - 1);
  std::fprintf(stderr, "wrote %s%s: %ld frame%s (%s at %d fps), %s, %s, %s, %s\n", video ? "" : numbered,
               out.Target().c_str(), frames, frames == 1 ? "" : "s", Duration(shown).c_str(), options.fps, picture.c_str(),
               DescribeOutput(options).c_str(), Bytes(out.Bytes()).c_str(), Speed(Seconds() - started, shown).c_str());
  return 0;
}

}  // namespace

int RunCaptureCommand(int argc, char** argv) {
  CaptureOptions options;
  std::string message;
  switch (ParseCaptureOptions(argc, argv, DefaultContentDir(), &options, &message)) {
    case ParseResult::Help:
      return kCapture.Help();
    case ParseResult::Usage:
      return kCapture.UsageError(message);
    case ParseResult::BadOutput:
      return Fail(message);
    case ParseResult::Ok:
      break;
  }

  std::error_code ec;
  if (options.content.empty())
    return Fail("no content pack beside the tool: give --content DIR (tavrine-tool make-content DIR makes one)");
  if (!std::filesystem::is_regular_file(std::filesystem::path(options.content) / "Music" / "DISCO.XM", ec))
    return Fail("no content pack in " + options.content + " (tavrine-tool make-content DIR makes one)");

  // The output first: its checks take no time, asking ffmpeg what it has takes a moment.
  InterruptGuard guard;
  std::string error;
  PartialOutput out;
  if (!out.Claim(options.path, options.kind == CaptureKind::Frames ? PartialOutput::Folder : PartialOutput::File,
                 options.force, &error))
    return Fail(error);
  const bool needsEncoder = !(options.kind == CaptureKind::Audio && options.audioType == AudioFileType::Wav);
  const bool encoderReady = !needsEncoder || CheckEncoder(options, &error);
  if (InterruptGuard::Signal() != 0) return Interrupted(out);
  if (!encoderReady) {
    out.Discard();
    return Fail(error);
  }

  CaptureProgress progress(stderr, isatty(STDERR_FILENO) != 0, options.from, options.to);
  return options.kind == CaptureKind::Audio ? CaptureSound(options, out, progress)
                                            : CapturePictures(options, out, progress);
}
