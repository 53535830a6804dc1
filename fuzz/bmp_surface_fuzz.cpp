// Fuzzes the BMP picture loader at both surface depths. It reads a path, so each input is
// written to a file first.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "platform/surface.h"

namespace {

// One file per process, unlinked as soon as it is made so that nothing is left behind
// even when a crash ends the process; the loaders reach it through /proc/self/fd.
class InputFile {
 public:
  InputFile() {
    char name[] = "/tmp/tavrine-bmp-fuzz-XXXXXX";
    fd_ = mkstemp(name);
    if (fd_ < 0) std::abort();
    unlink(name);
    path_ = "/proc/self/fd/" + std::to_string(fd_);
  }
  // Replaces the file's contents with `data`; the path then reads exactly these bytes.
  void Write(const uint8_t* data, size_t size) const {
    if (ftruncate(fd_, 0) != 0) std::abort();
    size_t done = 0;
    while (done < size) {
      const ssize_t written = pwrite(fd_, data + done, size - done, static_cast<off_t>(done));
      if (written <= 0) std::abort();
      done += static_cast<size_t>(written);
    }
  }
  const std::string& Path() const { return path_; }

 private:
  int fd_ = -1;
  std::string path_;
};

const InputFile& Input() {
  static const InputFile file;
  return file;
}

// Every pixel is read back, so rows the loader left short or unwritten are noticed.
uint32_t Checksum(const Surface& surface) {
  uint32_t sum = 0;
  for (int y = 0; y < surface.height; ++y)
    for (int x = 0; x < surface.width; ++x) sum = sum * 31 + surface.GetPixel(x, y);
  return sum;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input().Write(data, size);
  volatile uint32_t sink = 0;
  for (int bits : {32, 24}) {
    std::unique_ptr<Surface> surface(LoadBmpSurface(Input().Path().c_str(), bits));
    if (surface) sink = sink + Checksum(*surface);
  }
  (void)sink;
  return 0;
}
