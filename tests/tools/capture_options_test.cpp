#include "capture_options.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <string>
#include <vector>

namespace {

struct Parsed {
  ParseResult result;
  CaptureOptions options;
  std::string message;
};

Parsed Parse(std::initializer_list<std::string> args) {
  std::vector<std::string> words = {"capture"};
  words.insert(words.end(), args);
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  Parsed p;
  p.result = ParseCaptureOptions(static_cast<int>(argv.size()), argv.data(), "/content", &p.options, &p.message);
  return p;
}

// A refusal whose one-line reason mentions `mentions`.
void ExpectRefused(std::initializer_list<std::string> args, const std::string& mentions,
                   ParseResult kind = ParseResult::Usage) {
  const Parsed p = Parse(args);
  std::string line;
  for (const std::string& a : args) line += a + " ";
  EXPECT_EQ(p.result, kind) << line;
  EXPECT_NE(p.message.find(mentions), std::string::npos) << line << "-> " << p.message;
  EXPECT_EQ(p.message.find('\n'), std::string::npos) << line << "-> " << p.message;
}

bool Has(const std::vector<std::string>& args, const std::vector<std::string>& run) {
  return std::search(args.begin(), args.end(), run.begin(), run.end()) != args.end();
}

TEST(CaptureOptions, DefaultsAreAWebVideoOfTheWholeShow) {
  const Parsed p = Parse({"show.mp4"});
  ASSERT_EQ(p.result, ParseResult::Ok) << p.message;
  const CaptureOptions& o = p.options;
  EXPECT_EQ(o.kind, CaptureKind::Video);
  EXPECT_EQ(o.path, "show.mp4");
  EXPECT_EQ(o.content, "/content");
  EXPECT_EQ(o.container, VideoContainer::Mp4);
  EXPECT_EQ(o.quality, CaptureQuality::Web);
  EXPECT_EQ(o.fps, 60);
  EXPECT_EQ(o.from, 0.0);
  EXPECT_EQ(o.to, 122.0);
  EXPECT_TRUE(o.loading);
  EXPECT_FALSE(o.force);
  EXPECT_EQ(o.layout.width, 1280);
  EXPECT_EQ(o.layout.height, 960);
  EXPECT_EQ(o.layout.pictureWidth, 1280);
}

TEST(CaptureOptions, EveryOptionInBothSpellings) {
  Parsed p = Parse({"--size", "1920x1080", "--quality", "high", "--fps", "30", "--from", "60", "--to=64.5",
                    "--force", "--content=/elsewhere", "clip.MKV"});
  ASSERT_EQ(p.result, ParseResult::Ok) << p.message;
  EXPECT_EQ(p.options.container, VideoContainer::Matroska);
  EXPECT_EQ(p.options.quality, CaptureQuality::High);
  EXPECT_EQ(p.options.fps, 30);
  EXPECT_EQ(p.options.from, 60.0);
  EXPECT_EQ(p.options.to, 64.5);
  EXPECT_TRUE(p.options.force);
  EXPECT_FALSE(p.options.loading);  // the loading screens belong to a capture from the start
  EXPECT_EQ(p.options.content, "/elsewhere");
  EXPECT_EQ(p.options.layout.pictureWidth, 1440);

  p = Parse({"--frames", "shots", "--no-loading", "--from", "0"});
  ASSERT_EQ(p.result, ParseResult::Ok) << p.message;
  EXPECT_EQ(p.options.kind, CaptureKind::Frames);
  EXPECT_EQ(p.options.path, "shots");
  EXPECT_FALSE(p.options.loading);
  EXPECT_TRUE(Parse({"--frames", "shots", "--from", "0"}).options.loading);

  p = Parse({"--audio=music.flac", "--to", "20"});
  ASSERT_EQ(p.result, ParseResult::Ok) << p.message;
  EXPECT_EQ(p.options.kind, CaptureKind::Audio);
  EXPECT_EQ(p.options.audioType, AudioFileType::Flac);
  EXPECT_EQ(Parse({"--audio", "music.wav"}).options.audioType, AudioFileType::Wav);
  EXPECT_EQ(Parse({"a.mov", "--quality", "lossless"}).result, ParseResult::Usage);
  EXPECT_EQ(Parse({"a.mov"}).options.container, VideoContainer::QuickTime);

  EXPECT_EQ(Parse({"a.mp4", "--help"}).result, ParseResult::Help);
  EXPECT_EQ(Parse({"-h"}).result, ParseResult::Help);
}

TEST(CaptureOptions, MalformedCommandLinesAreRefusedInOneLine) {
  ExpectRefused({}, "no output");
  ExpectRefused({"a.mp4", "b.mp4"}, "more than one output");
  ExpectRefused({"a.mp4", "--frames", "d"}, "one output at a time");
  ExpectRefused({"a.mp4", "--speed", "2"}, "unknown option --speed");
  ExpectRefused({"a.mp4", "--fps"}, "--fps needs a value");
  ExpectRefused({"a.mp4", "--force=yes"}, "--force takes no value");
  for (const char* fps : {"0", "241", "-5", "30.5", "abc", "", "99999999999999999999"})
    ExpectRefused({"a.mp4", "--fps", fps}, "--fps");
  for (const char* position : {"-1", "122.5", "nan", "inf", "1e9", "6O", ""})
    ExpectRefused({"a.mp4", "--from", position}, "--from");
  ExpectRefused({"a.mp4", "--from", "64", "--to", "60"}, "must come before");
  ExpectRefused({"a.mp4", "--from", "64", "--to", "64"}, "must come before");
  for (const char* size : {"1920", "1920x", "x1080", "1920x1080x2", "-1920x1080", "1920*1080", "0x0", "+640x480"})
    ExpectRefused({"a.mp4", "--size", size}, "--size");
  ExpectRefused({"a.mp4", "--quality", "best"}, "choose web, high or lossless");
  ExpectRefused({"noext"}, "end it in .mp4, .mkv or .mov", ParseResult::BadOutput);
  ExpectRefused({"a.avi"}, ".avi", ParseResult::BadOutput);
  ExpectRefused({"a.mp4", "--quality", "lossless"}, ".mkv");
  ExpectRefused({"--frames", "d", "--quality", "high"}, "--quality");
  ExpectRefused({"--audio", "a.wav", "--size", "640x480"}, "--audio");
  ExpectRefused({"--audio", "a.mp3"}, ".wav or .flac", ParseResult::BadOutput);
}

TEST(CaptureOptions, SizeArithmetic) {
  struct Case {
    int w, h, pictureW, pictureH, x, y;
  };
  // Whole numbers, half steps only from 4.5 up (1080 lines), and what is left centred.
  for (const Case& c : std::vector<Case>{{1280, 960, 1280, 960, 0, 0},
                                         {1920, 1080, 1440, 1080, 240, 0},
                                         {3840, 2160, 2880, 2160, 480, 0},
                                         {320, 240, 320, 240, 0, 0},
                                         {640, 480, 640, 480, 0, 0},
                                         {1280, 720, 960, 720, 160, 0},
                                         {1366, 768, 960, 720, 203, 24},
                                         {1000, 1000, 960, 720, 20, 140},
                                         {321, 241, 320, 240, 0, 0},
                                         {479, 359, 320, 240, 79, 59},
                                         {480, 360, 320, 240, 80, 60},
                                         {800, 600, 640, 480, 80, 60},
                                         {1760, 1320, 1760, 1320, 0, 0},
                                         {1439, 1080, 1280, 960, 79, 60}}) {
    PictureLayout l;
    std::string error;
    ASSERT_TRUE(LayoutPicture(c.w, c.h, false, &l, &error)) << error;
    const std::string size = std::to_string(c.w) + "x" + std::to_string(c.h);
    EXPECT_EQ(l.width, c.w) << size;
    EXPECT_EQ(l.height, c.h) << size;
    EXPECT_EQ(l.pictureWidth, c.pictureW) << size;
    EXPECT_EQ(l.pictureHeight, c.pictureH) << size;
    EXPECT_EQ(l.pictureWidth * 2, 320 * l.halfScale) << size;
    EXPECT_EQ(l.x, c.x) << size;
    EXPECT_EQ(l.y, c.y) << size;
  }
  // 4:2:0 keeps the picture's corner on even pixels.
  PictureLayout l;
  ASSERT_TRUE(LayoutPicture(1366, 768, true, &l, nullptr));
  EXPECT_EQ(l.x, 202);
  EXPECT_EQ(l.y, 24);

  std::string error;
  EXPECT_FALSE(LayoutPicture(319, 240, false, &l, &error));
  EXPECT_NE(error.find("smaller than the show's 320x240"), std::string::npos) << error;
  EXPECT_FALSE(LayoutPicture(320, 239, false, &l, &error));
  EXPECT_FALSE(LayoutPicture(8194, 4320, false, &l, &error));
  ExpectRefused({"a.mp4", "--size", "160x120"}, "smaller than the show's 320x240");

  // Odd sizes: fine where colour is kept per pixel, refused for 4:2:0.
  ExpectRefused({"a.mp4", "--size", "1921x1080"}, "even width and height");
  ExpectRefused({"a.mp4", "--size", "1920x1081"}, "even width and height");
  Parsed p = Parse({"a.mkv", "--size", "1921x1081", "--quality", "high"});
  ASSERT_EQ(p.result, ParseResult::Ok) << p.message;
  EXPECT_EQ(p.options.layout.pictureWidth, 1440);
  EXPECT_EQ(p.options.layout.x, 240);
  EXPECT_EQ(Parse({"--frames", "d", "--size", "999x777"}).result, ParseResult::Ok);
}

TEST(CaptureOptions, EncoderCommandsTagTheColoursTheyConvertWith) {
  Parsed p = Parse({"a.mp4", "--size", "1920x1080"});
  std::vector<std::string> a = EncoderCommand(p.options, "/out/.a.part", 44100);
  EXPECT_EQ(a.front(), "ffmpeg");
  EXPECT_EQ(a.back(), "/out/.a.part");
  EXPECT_TRUE(Has(a, {"-i", "pipe:0"}));
  EXPECT_TRUE(Has(a, {"-ar", "44100"}));
  EXPECT_TRUE(Has(a, {"-i", "pipe:3"}));
  EXPECT_TRUE(Has(a, {"-vf", "scale=1440:1080:flags=neighbor:out_color_matrix=bt709:out_range=tv,format=yuv420p,"
                             "pad=1920:1080:240:0:color=black"}));
  EXPECT_TRUE(Has(a, {"-colorspace", "bt709", "-color_primaries", "bt709", "-color_trc", "bt709", "-color_range", "tv"}));
  EXPECT_TRUE(Has(a, {"-crf", "18"}));
  EXPECT_TRUE(Has(a, {"-c:a", "aac", "-b:a", "192k"}));
  EXPECT_TRUE(Has(a, {"-movflags", "+faststart", "-f", "mp4"}));

  // Below HD the matrix players assume is BT.601: converted and tagged so.
  p = Parse({"a.mkv", "--size", "640x480", "--quality", "high"});
  a = EncoderCommand(p.options, "x", 44100);
  EXPECT_TRUE(Has(a, {"-vf", "scale=640:480:flags=neighbor:out_color_matrix=smpte170m:out_range=tv,format=yuv444p"}));
  EXPECT_TRUE(Has(a, {"-colorspace", "smpte170m"}));
  EXPECT_TRUE(Has(a, {"-c:a", "flac"}));
  EXPECT_TRUE(Has(a, {"-f", "matroska"}));
  a = EncoderCommand(Parse({"a.mp4", "--quality", "high"}).options, "x", 44100);
  EXPECT_TRUE(Has(a, {"-c:a", "aac", "-b:a", "320k"}));

  // Lossless stays in RGB from end to end: as planes where the picture fills the frame,
  // as packed pixels where black bars are padded around it.
  p = Parse({"a.mkv", "--quality", "lossless"});
  EXPECT_TRUE(SendsPlanes(p.options));
  a = EncoderCommand(p.options, "x", 44100);
  EXPECT_TRUE(Has(a, {"-pixel_format", "yuv444p", "-video_size", "320x240"}));
  EXPECT_TRUE(Has(a, {"-vf", "scale=1280:960:flags=neighbor"}));
  EXPECT_TRUE(Has(a, {"-c:v", "libx264", "-preset", "ultrafast", "-qp", "0"}));
  EXPECT_TRUE(Has(a, {"-colorspace", "rgb", "-color_primaries", "bt709", "-color_trc", "iec61966-2-1", "-color_range", "pc"}));
  EXPECT_EQ(NeededEncoders(p.options), (std::vector<std::string>{"libx264", "flac"}));
  EXPECT_EQ(NeededMuxers(p.options), (std::vector<std::string>{"matroska"}));
  p = Parse({"a.mkv", "--quality", "lossless", "--size", "1920x1080"});
  EXPECT_FALSE(SendsPlanes(p.options));
  a = EncoderCommand(p.options, "x", 44100);
  EXPECT_TRUE(Has(a, {"-pixel_format", "bgr0"}));
  EXPECT_TRUE(Has(a, {"-vf", "scale=1440:1080:flags=neighbor,pad=1920:1080:240:0:color=black"}));
  EXPECT_TRUE(Has(a, {"-c:v", "libx264rgb"}));
  EXPECT_EQ(NeededEncoders(p.options), (std::vector<std::string>{"libx264rgb", "flac"}));
  EXPECT_FALSE(SendsPlanes(Parse({"a.mp4", "--size", "640x480"}).options));
  EXPECT_FALSE(SendsPlanes(Parse({"--frames", "d"}).options));

  // Frames: a folder's own '%' must not be read as part of the picture number.
  p = Parse({"--frames", "d", "--size", "641x480"});
  a = EncoderCommand(p.options, "/tmp/100%/.d.part", 44100);
  EXPECT_EQ(a.back(), "/tmp/100%%/.d.part/%06d.png");
  EXPECT_TRUE(Has(a, {"-vf", "scale=640:480:flags=neighbor,format=rgb24,pad=641:480:0:0:color=black"}));
  EXPECT_FALSE(Has(a, {"-i", "pipe:3"}));

  p = Parse({"--audio", "a.flac"});
  a = EncoderCommand(p.options, "x", 44100);
  EXPECT_TRUE(Has(a, {"-f", "s16le", "-ar", "44100", "-ac", "2", "-i", "pipe:0", "-c:a", "flac", "-f", "flac", "x"}));
  EXPECT_TRUE(NeededEncoders(Parse({"--audio", "a.wav"}).options).empty());
}

}  // namespace
