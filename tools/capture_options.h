// capture_options.h - what `tavrine-tool capture` is asked to make: the command line read into
// one record, the arithmetic that puts the 320 x 240 picture into a frame of any size, and the
// encoder's command line for each kind of output.
//
//   CaptureOptions options;
//   std::string message;
//   switch (ParseCaptureOptions(argc, argv, DefaultContentDir(), &options, &message)) { ... }
//   std::vector<std::string> ffmpeg = EncoderCommand(options, partialPath);
#pragma once
#include <cstdint>
#include <string>
#include <vector>

enum class CaptureKind { Video, Frames, Audio };
enum class CaptureQuality { Web, High, Lossless };
enum class VideoContainer { Mp4, Matroska, QuickTime };
enum class AudioFileType { Wav, Flac };

// Where the picture sits in the frame: enlarged by the largest whole number that fits, or
// from 4.5 up by half steps, so that 1080 lines (4.5 x 240) are filled. Counted in halves.
struct PictureLayout {
  int width = 1280, height = 960;  // the whole frame
  int halfScale = 8;               // twice the enlargement
  int pictureWidth = 1280, pictureHeight = 960;
  int x = 0, y = 0;  // top-left of the picture; black around it
};

struct CaptureOptions {
  CaptureKind kind = CaptureKind::Video;
  std::string path;  // the video, the frames folder or the audio file
  std::string content;
  int fps = 60;
  PictureLayout layout;
  CaptureQuality quality = CaptureQuality::Web;
  VideoContainer container = VideoContainer::Mp4;
  AudioFileType audioType = AudioFileType::Wav;
  double from = 0.0, to = 122.0;  // timeline positions: from <= position < to
  bool loading = true;            // open with the loading screens (only when starting at 0)
  bool force = false;             // replace an existing output
};

constexpr int CAPTURE_MIN_FPS = 1, CAPTURE_MAX_FPS = 240;
constexpr int CAPTURE_MAX_SIDE = 8192;

enum class ParseResult {
  Ok,
  Help,
  Usage,      // a malformed command line (exit 2)
  BadOutput,  // a well-formed line naming an output the capture cannot write (exit 1)
};

// Reads argv[1..argc-1] (argv[0] is the command's name). On Usage and BadOutput `message`
// holds a one-line reason.
ParseResult ParseCaptureOptions(int argc, char** argv, const std::string& defaultContent, CaptureOptions* options,
                                std::string* message);

// "1920x1080" into its numbers; false on anything else.
bool ParseSize(const std::string& text, int* width, int* height);
// The picture placed in a width x height frame, centred on black. `evenPlacement` keeps the
// picture's corner on even pixels (4:2:0 colour is stored per 2 x 2 block). False, with a
// reason, for a frame smaller than 320 x 240 or beyond CAPTURE_MAX_SIDE.
bool LayoutPicture(int width, int height, bool evenPlacement, PictureLayout* layout, std::string* error);

// BT.709 from 720 lines up, as players assume for HD; BT.601 below.
bool IsHdSize(int width, int height);

// Whether the frames go to the encoder as three planes (green, blue, red: 320 x 240 bytes
// each) rather than as bgr0 pixels. See SplitIntoPlanes.
bool SendsPlanes(const CaptureOptions& options);
// One 320 x 240 frame (0x00RRGGBB pixels) as the planes SendsPlanes speaks of.
void SplitIntoPlanes(const uint32_t* frame, std::vector<uint8_t>* planes);

// The ffmpeg command line (program name first) that turns our raw input into the output at
// `partialPath`: video frames (320 x 240, bgr0 or planes as SendsPlanes says) on stdin and,
// for a video, the music (s16le stereo at `sampleRate`) on descriptor 3; for an audio file
// the music on stdin.
std::vector<std::string> EncoderCommand(const CaptureOptions& options, const std::string& partialPath,
                                        int sampleRate);
// The ffmpeg encoders and muxers that command needs, for checking before the first frame.
std::vector<std::string> NeededEncoders(const CaptureOptions& options);
std::vector<std::string> NeededMuxers(const CaptureOptions& options);
// What the output is, for the closing line: "H.264 4:2:0 + AAC in MP4".
std::string DescribeOutput(const CaptureOptions& options);
