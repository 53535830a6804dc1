#include "pcx2png.h"

#include <cstdio>
#include <string>
#include <vector>

#include "assets/pcx.h"
#include "base/file.h"
#include "command_line.h"
#include "png_writer.h"

// Larger than any sensible picture; a corrupt header must not make us allocate gigabytes.
constexpr uint64_t MAX_PIXELS = uint64_t{16384} * 16384;

static const ToolCommand kPcx2PngCommand{"pcx2png", "IN.pcx OUT.png",
                                         "Decodes a PCX picture with the show's reader and writes it as a PNG.\n"};

int RunPcx2Png(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (IsHelp(argv[i])) return kPcx2PngCommand.Help();
    if (IsOption(argv[i])) return kPcx2PngCommand.UnknownOption(argv[i]);
  }
  if (argc != 3) return kPcx2PngCommand.UsageError(argc < 3 ? "missing arguments" : "too many arguments");
  const char* in = argv[1];
  const std::string out = argv[2];
  std::vector<uint8_t> file;
  if (!ReadShowFile(in, file)) {
    std::fprintf(stderr, "tavrine-tool pcx2png: %s: cannot be opened or read\n", in);
    return 1;
  }
  uint32_t width = 0, height = 0;
  if (!ReadPcxSize(file.data(), file.size(), &width, &height)) {
    std::fprintf(stderr, "tavrine-tool pcx2png: %s: %s\n", in, PcxResultText(PcxResult::ShortHeader));
    return 1;
  }
  const uint64_t pixels = uint64_t{width} * height;
  if (width == 0 || height == 0 || width > 0x7FFFFFFF || height > 0x7FFFFFFF || pixels > MAX_PIXELS) {
    std::fprintf(stderr, "tavrine-tool pcx2png: %s: unusable picture size %ux%u\n", in, width, height);
    return 1;
  }
  std::vector<uint32_t> picture(static_cast<size_t>(pixels), 0);
  const PcxResult result = DecodePcxPicture(file.data(), file.size(), picture.data(), picture.size());
  if (result != PcxResult::Complete) {
    std::fprintf(stderr, "tavrine-tool pcx2png: %s: %s\n", in, PcxResultText(result));
    return 1;
  }
  std::string error;
  if (!WritePng(out, static_cast<int>(width), static_cast<int>(height), picture.data(), &error)) {
    std::fprintf(stderr, "tavrine-tool pcx2png: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
