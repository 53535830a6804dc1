// The song as the library renders it, reduced to one fingerprint: built natively and for
// WebAssembly from this one file, the two must print the same line, so the page's library
// (built from source with fewer format readers, in a few large units) plays the very samples
// the native one does.
//
//   song_fingerprint SONG.XM
//
// prints "FRAMES frames, fingerprint HEX": the song at 44100 Hz in stereo floats, rendered
// to its end with the show's settings, every sample's bits in one 64-bit FNV-1a hash.
#include <libopenmpt/libopenmpt.hpp>

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: song_fingerprint SONG.XM\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "cannot read %s\n", argv[1]);
    return 1;
  }
  const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  try {
    std::ostringstream quiet;
    openmpt::module song(bytes, quiet, {{"play.at_end", "stop"}, {"seek.sync_samples", "1"}});
    std::vector<float> block(2 * 1024);
    uint64_t hash = 14695981039346656037ull;
    uint64_t frames = 0;
    for (;;) {
      const size_t got = song.read_interleaved_stereo(44100, block.size() / 2, block.data());
      if (got == 0) break;
      frames += got;
      for (size_t i = 0; i < 2 * got; ++i) {
        uint32_t bits;
        std::memcpy(&bits, &block[i], sizeof bits);
        for (int b = 0; b < 4; ++b) hash = (hash ^ ((bits >> (8 * b)) & 0xff)) * 1099511628211ull;
      }
    }
    std::printf("%" PRIu64 " frames, fingerprint %016" PRIx64 "\n", frames, hash);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s is not a song the library reads: %s\n", argv[1], error.what());
    return 1;
  }
  return 0;
}
