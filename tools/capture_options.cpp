#include "capture_options.h"

#include "base/screen.h"
#include "command_line.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace {

constexpr double kShowEnd = 122.0;

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

bool ParsePosition(const std::string& text, double* position) { return ParseNumber(text, position); }

bool ParseWhole(const std::string& text, long* value) {
  // Digits only: no sign, no spaces, no hexadecimal.
  if (text.empty() || !std::isdigit(static_cast<unsigned char>(text[0]))) return false;
  return ParseInteger(text, value);
}

std::string Extension(const std::string& path) {
  return Lower(std::filesystem::path(path).extension().string());
}

// FLAC where the container takes it and the quality asks for more than AAC.
bool UsesFlac(const CaptureOptions& o) {
  return o.quality == CaptureQuality::Lossless ||
         (o.quality == CaptureQuality::High && o.container == VideoContainer::Matroska);
}

std::string Num(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

}  // namespace

bool ParseSize(const std::string& text, int* width, int* height) {
  const size_t x = Lower(text).find('x');
  if (x == std::string::npos) return false;
  long w = 0, h = 0;
  if (!ParseWhole(text.substr(0, x), &w) || !ParseWhole(text.substr(x + 1), &h)) return false;
  if (w <= 0 || h <= 0 || w > 1000000 || h > 1000000) return false;
  *width = static_cast<int>(w);
  *height = static_cast<int>(h);
  return true;
}

bool LayoutPicture(int width, int height, bool evenPlacement, PictureLayout* layout, std::string* error) {
  const std::string size = std::to_string(width) + "x" + std::to_string(height);
  if (width < 320 || height < 240) {
    if (error) *error = "--size " + size + " is smaller than the show's 320x240";
    return false;
  }
  if (width > CAPTURE_MAX_SIDE || height > CAPTURE_MAX_SIDE) {
    if (error) *error = "--size " + size + " is larger than " + std::to_string(CAPTURE_MAX_SIDE) + " on a side";
    return false;
  }
  // Half steps fill 1080 lines (4.5 x 240). 320 and 240 are even, so a half-step picture
  // is still whole pixels, its pixels alternately n and n + 1 wide; from 4.5 up that
  // difference is under a quarter, below it (1.5, 2.5...) too coarse, so whole numbers there.
  int halves = std::min(width * 2 / 320, height * 2 / 240);
  if (halves < 9) halves &= ~1;
  PictureLayout l;
  l.width = width;
  l.height = height;
  l.halfScale = halves;
  l.pictureWidth = 160 * halves;
  l.pictureHeight = 120 * halves;
  l.x = (width - l.pictureWidth) / 2;
  l.y = (height - l.pictureHeight) / 2;
  if (evenPlacement) {
    l.x &= ~1;
    l.y &= ~1;
  }
  *layout = l;
  return true;
}

bool IsHdSize(int width, int height) { return height >= 720 || width >= 1280; }

ParseResult ParseCaptureOptions(int argc, char** argv, const std::string& defaultContent, CaptureOptions* options,
                                std::string* message) {
  CaptureOptions o;
  o.content = defaultContent;
  std::string video, frames, audio, sizeText, qualityText;
  bool fromGiven = false;
  auto usage = [&](const std::string& why) {
    *message = why;
    return ParseResult::Usage;
  };
  auto badOutput = [&](const std::string& why) {
    *message = why;
    return ParseResult::BadOutput;
  };

  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (IsHelp(arg)) return ParseResult::Help;
    if (arg.size() < 2 || arg[0] != '-' || arg == "-") {
      if (!video.empty()) return usage("more than one output: " + video + " and " + arg);
      video = arg;
      continue;
    }
    std::string value;
    bool hasValue = false;
    const size_t equals = arg.find('=');
    if (arg.rfind("--", 0) == 0 && equals != std::string::npos) {
      value = arg.substr(equals + 1);
      arg = arg.substr(0, equals);
      hasValue = true;
    }
    const bool flag = arg == "--no-loading" || arg == "--force";
    const bool known = flag || arg == "--frames" || arg == "--audio" || arg == "--size" || arg == "--quality" ||
                       arg == "--fps" || arg == "--from" || arg == "--to" || arg == "--content";
    if (!known) return usage("unknown option " + arg);
    if (flag) {
      if (hasValue) return usage(arg + " takes no value");
      if (arg == "--no-loading") o.loading = false;
      if (arg == "--force") o.force = true;
      continue;
    }
    if (!hasValue) {
      if (i + 1 >= argc) return usage(arg + " needs a value");
      value = argv[++i];
    }
    if (arg == "--frames") {
      frames = value;
    } else if (arg == "--audio") {
      audio = value;
    } else if (arg == "--size") {
      sizeText = value;
    } else if (arg == "--quality") {
      qualityText = value;
    } else if (arg == "--content") {
      o.content = value;
    } else if (arg == "--fps") {
      long fps = 0;
      if (!ParseWhole(value, &fps) || fps < CAPTURE_MIN_FPS || fps > CAPTURE_MAX_FPS)
        return usage("--fps " + value + ": give a whole number from 1 to 240");
      o.fps = static_cast<int>(fps);
    } else {
      double position = 0;
      if (!ParsePosition(value, &position) || position < 0 || position > kShowEnd)
        return usage(arg + " " + value + ": give a timeline position from 0 to 122");
      if (arg == "--from") {
        o.from = position;
        fromGiven = true;
      } else {
        o.to = position;
      }
    }
  }

  const int outputs = !video.empty() + !frames.empty() + !audio.empty();
  if (outputs == 0) return usage("no output: name a video file, --frames DIR or --audio FILE");
  if (outputs > 1) return usage("one output at a time: a video, --frames DIR or --audio FILE");
  if (!(o.from < o.to)) return usage("--from " + Num(o.from) + " must come before --to " + Num(o.to));
  if (fromGiven && o.from > 0) o.loading = false;  // the loading screens belong to the start only

  if (!video.empty()) {
    o.kind = CaptureKind::Video;
    o.path = video;
    const std::string ext = Extension(video);
    if (ext == ".mp4" || ext == ".m4v") {
      o.container = VideoContainer::Mp4;
    } else if (ext == ".mkv") {
      o.container = VideoContainer::Matroska;
    } else if (ext == ".mov") {
      o.container = VideoContainer::QuickTime;
    } else if (ext.empty()) {
      return badOutput("cannot tell the kind of video from the name " + video + ": end it in .mp4, .mkv or .mov");
    } else {
      return badOutput(video + ": the capture writes .mp4, .mkv or .mov videos, not " + ext);
    }
  } else if (!frames.empty()) {
    o.kind = CaptureKind::Frames;
    o.path = frames;
    if (!qualityText.empty()) return usage("--quality is for videos: the frames are lossless PNG pictures");
  } else {
    o.kind = CaptureKind::Audio;
    o.path = audio;
    if (!qualityText.empty() || !sizeText.empty()) return usage("--size and --quality are for pictures, not --audio");
    const std::string ext = Extension(audio);
    if (ext == ".wav") {
      o.audioType = AudioFileType::Wav;
    } else if (ext == ".flac") {
      o.audioType = AudioFileType::Flac;
    } else {
      return badOutput(audio + ": the sound alone is written as .wav or .flac");
    }
  }

  if (!qualityText.empty()) {
    if (qualityText == "web") {
      o.quality = CaptureQuality::Web;
    } else if (qualityText == "high") {
      o.quality = CaptureQuality::High;
    } else if (qualityText == "lossless") {
      o.quality = CaptureQuality::Lossless;
    } else {
      return usage("--quality " + qualityText + ": choose web, high or lossless");
    }
  }
  if (o.kind == CaptureKind::Video && o.quality == CaptureQuality::Lossless &&
      o.container != VideoContainer::Matroska)
    return usage("lossless video goes in a .mkv file (FLAC sound does not fit " + Extension(video) + ")");

  int width = 1280, height = 960;
  if (!sizeText.empty() && !ParseSize(sizeText, &width, &height))
    return usage("--size " + sizeText + ": give WIDTHxHEIGHT, such as 1920x1080");
  const bool yuv420 = o.kind == CaptureKind::Video && o.quality == CaptureQuality::Web;
  if (yuv420 && (width % 2 != 0 || height % 2 != 0))
    return usage("--size " + sizeText + ": 4:2:0 video needs an even width and height");
  std::string error;
  if (!LayoutPicture(width, height, yuv420, &o.layout, &error)) return usage(error);

  *options = o;
  return ParseResult::Ok;
}

bool SendsPlanes(const CaptureOptions& o) {
  // H.264 keeps RGB as three planes, green first where luma goes, and the encoder takes them
  // as they are when they come labelled 4:4:4 YUV: the planes are enlarged as planes, which
  // costs ffmpeg's scaler a fraction of enlarging packed pixels, and the file is the same as
  // from packed RGB. Black bars cannot be padded in that disguise (they would be video black,
  // 16 and 128), so a picture with bars goes the packed way.
  const PictureLayout& l = o.layout;
  return o.kind == CaptureKind::Video && o.quality == CaptureQuality::Lossless && l.pictureWidth == l.width &&
         l.pictureHeight == l.height;
}

void SplitIntoPlanes(const uint32_t* frame, std::vector<uint8_t>* planes) {
  constexpr auto kPixels = static_cast<size_t>(SCREEN_PIXELS);
  planes->resize(3 * kPixels);
  uint8_t* g = planes->data();
  uint8_t* b = g + kPixels;
  uint8_t* r = b + kPixels;
  for (size_t i = 0; i < kPixels; ++i) {
    const uint32_t p = frame[i];
    g[i] = static_cast<uint8_t>(p >> 8);
    b[i] = static_cast<uint8_t>(p);
    r[i] = static_cast<uint8_t>(p >> 16);
  }
}

std::vector<std::string> EncoderCommand(const CaptureOptions& o, const std::string& partialPath, int sampleRate) {
  std::vector<std::string> a = {"ffmpeg", "-hide_banner", "-nostdin", "-loglevel", "error", "-y"};
  const std::string rate = std::to_string(sampleRate);
  if (o.kind == CaptureKind::Audio) {
    a.insert(a.end(), {"-f", "s16le", "-ar", rate, "-ac", "2", "-i", "pipe:0", "-c:a", "flac", "-f", "flac", partialPath});
    return a;
  }

  // Raw input needs no probing; without these options ffmpeg reads 1.5 s of sound before
  // it looks at the pictures.
  const bool planes = SendsPlanes(o);
  a.insert(a.end(), {"-f", "rawvideo", "-pixel_format", planes ? "yuv444p" : "bgr0", "-video_size", "320x240", "-framerate",
                     std::to_string(o.fps), "-probesize", "32", "-analyzeduration", "0", "-thread_queue_size", "64",
                     "-i", "pipe:0"});
  if (o.kind == CaptureKind::Video)
    a.insert(a.end(), {"-f", "s16le", "-ar", rate, "-ac", "2", "-probesize", "32", "-analyzeduration", "0",
                       "-thread_queue_size", "64", "-i", "pipe:3"});

  // Enlarged by nearest neighbour before any colour conversion, so each of the show's
  // pixels stays a sharp block; 4:2:0 colour is then taken from inside the blocks.
  const PictureLayout& l = o.layout;
  const bool yuv = o.kind == CaptureKind::Video && o.quality != CaptureQuality::Lossless;
  const bool hd = IsHdSize(l.width, l.height);
  const std::string matrix = hd ? "bt709" : "smpte170m";
  std::string filter = "scale=" + std::to_string(l.pictureWidth) + ":" + std::to_string(l.pictureHeight) +
                       ":flags=neighbor";
  if (yuv) {
    filter += ":out_color_matrix=" + matrix + ":out_range=tv,format=";
    filter += o.quality == CaptureQuality::Web ? "yuv420p" : "yuv444p";
  } else if (o.kind == CaptureKind::Frames) {
    filter += ",format=rgb24";
  }
  if (l.pictureWidth != l.width || l.pictureHeight != l.height)
    filter += ",pad=" + std::to_string(l.width) + ":" + std::to_string(l.height) + ":" + std::to_string(l.x) + ":" +
              std::to_string(l.y) + ":color=black";
  a.insert(a.end(), {"-vf", filter});

  if (o.kind == CaptureKind::Frames) {
    // image2 reads '%' in the whole name as a pattern: a folder's own '%' is doubled.
    std::string dir;
    for (char c : partialPath) dir += c == '%' ? std::string("%%") : std::string(1, c);
    a.insert(a.end(), {"-c:v", "png", "-start_number", "0", "-f", "image2", dir + "/%06d.png"});
    return a;
  }

  a.insert(a.end(), {"-map", "0:v", "-map", "1:a"});
  // On these enlarged, sharp-edged pixels the fastest preset with CABAC kept is more faithful
  // than "veryfast" at the same CRF (1.5 to 7 dB PSNR), its files from 5 % smaller to 40 %
  // larger, in a third of the time: motion search and deblocking buy little here.
  switch (o.quality) {
    case CaptureQuality::Web:
      a.insert(a.end(), {"-c:v", "libx264", "-preset", "ultrafast", "-x264-params", "cabac=1", "-crf", "18"});
      break;
    case CaptureQuality::High:
      a.insert(a.end(), {"-c:v", "libx264", "-preset", "ultrafast", "-x264-params", "cabac=1", "-crf", "12"});
      break;
    case CaptureQuality::Lossless:
      a.insert(a.end(), {"-c:v", planes ? "libx264" : "libx264rgb", "-preset", "ultrafast", "-qp", "0"});
      break;
  }
  // Tags that say how the numbers in the file were made, so players undo exactly that.
  if (yuv)
    a.insert(a.end(), {"-colorspace", matrix, "-color_primaries", "bt709", "-color_trc", "bt709", "-color_range", "tv"});
  else
    a.insert(a.end(),
             {"-colorspace", "rgb", "-color_primaries", "bt709", "-color_trc", "iec61966-2-1", "-color_range", "pc"});

  if (UsesFlac(o))
    a.insert(a.end(), {"-c:a", "flac"});
  else
    a.insert(a.end(), {"-c:a", "aac", "-b:a", o.quality == CaptureQuality::High ? "320k" : "192k"});

  switch (o.container) {
    case VideoContainer::Mp4: a.insert(a.end(), {"-movflags", "+faststart", "-f", "mp4"}); break;
    case VideoContainer::QuickTime: a.insert(a.end(), {"-movflags", "+faststart", "-f", "mov"}); break;
    case VideoContainer::Matroska: a.insert(a.end(), {"-f", "matroska"}); break;
  }
  a.push_back(partialPath);
  return a;
}

std::vector<std::string> NeededEncoders(const CaptureOptions& o) {
  switch (o.kind) {
    case CaptureKind::Audio: return o.audioType == AudioFileType::Flac ? std::vector<std::string>{"flac"} : std::vector<std::string>{};
    case CaptureKind::Frames: return {"png"};
    case CaptureKind::Video: break;
  }
  const bool flac = UsesFlac(o);
  return {o.quality == CaptureQuality::Lossless && !SendsPlanes(o) ? "libx264rgb" : "libx264", flac ? "flac" : "aac"};
}

std::vector<std::string> NeededMuxers(const CaptureOptions& o) {
  switch (o.kind) {
    case CaptureKind::Audio: return o.audioType == AudioFileType::Flac ? std::vector<std::string>{"flac"} : std::vector<std::string>{};
    case CaptureKind::Frames: return {"image2"};
    case CaptureKind::Video: break;
  }
  switch (o.container) {
    case VideoContainer::Mp4: return {"mp4"};
    case VideoContainer::QuickTime: return {"mov"};
    case VideoContainer::Matroska: break;
  }
  return {"matroska"};
}

std::string DescribeOutput(const CaptureOptions& o) {
  switch (o.kind) {
    case CaptureKind::Audio: return o.audioType == AudioFileType::Flac ? "FLAC" : "WAV";
    case CaptureKind::Frames: return "PNG pictures";
    case CaptureKind::Video: break;
  }
  const char* container = o.container == VideoContainer::Mp4 ? "MP4" : o.container == VideoContainer::QuickTime ? "MOV" : "MKV";
  const bool flac = UsesFlac(o);
  const char* video = o.quality == CaptureQuality::Web ? "H.264 4:2:0" : o.quality == CaptureQuality::High ? "H.264 4:4:4" : "lossless H.264 RGB";
  return std::string(video) + " + " + (flac ? "FLAC" : "AAC") + " in " + container;
}
