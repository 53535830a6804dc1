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
                                         "Decodes a PCX picture with the show's reader and writes it as a PNG. A file that is\n"
                                         "not a PCX picture (maker's byte, version, encoding, depth) is refused.\n"};

// The show's reader takes any bytes as a picture; the tool first checks that they are a PCX
// file at all: the maker's byte, a version PCX files have, run-length encoding and a depth of
// 1, 2, 4 or 8 bits a plane. (Pictures of other plane counts then decode as the show would
// decode them.)
static bool LooksLikePcx(const uint8_t* header) {
  const uint8_t maker = header[0], version = header[1], encoding = header[2], bits = header[3];
  const bool knownVersion = version == 0 || (version >= 2 && version <= 5);
  return maker == 10 && knownVersion && encoding == 1 && (bits == 1 || bits == 2 || bits == 4 || bits == 8);
}

int RunPcx2Png(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (IsHelp(argv[i])) return kPcx2PngCommand.Help();
    if (IsOption(argv[i])) return kPcx2PngCommand.UnknownOption(argv[i]);
  }
  if (argc != 3) return kPcx2PngCommand.UsageError(argc < 3 ? "missing arguments" : "too many arguments");
  const char* in = argv[1];
  const std::string out = argv[2];
  std::vector<uint8_t> file;
  FileRefusal refusal;
  if (!ReadWholeFile(in, PCX_FILE_LIMIT, file, &refusal)) {
    std::fprintf(stderr, "tavrine-tool pcx2png: %s %s\n", in, refusal.why.c_str());
    return 1;
  }
  uint32_t width = 0, height = 0;
  if (!ReadPcxSize(file.data(), file.size(), &width, &height)) {
    std::fprintf(stderr, "tavrine-tool pcx2png: %s: %s\n", in, PcxResultText(PcxResult::ShortHeader));
    return 1;
  }
  if (!LooksLikePcx(file.data())) {
    std::fprintf(stderr, "tavrine-tool pcx2png: %s: not a PCX file\n", in);
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
