// input_file.h - for fuzz targets whose reader takes a path: one file per process, unlinked
// as soon as it is made so that nothing is left behind even when a crash ends the process;
// the reader reaches it through /proc/self/fd.
#pragma once
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

class InputFile {
 public:
  InputFile() {
    // In memory where there is such a folder.
    char shared[] = "/dev/shm/tavrine-fuzz-XXXXXX", temporary[] = "/tmp/tavrine-fuzz-XXXXXX";
    char* name = shared;
    fd_ = mkstemp(shared);
    if (fd_ < 0) fd_ = mkstemp(name = temporary);
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

  // The process's one input file.
  static const InputFile& Get() {
    static const InputFile file;
    return file;
  }

 private:
  int fd_ = -1;
  std::string path_;
};
