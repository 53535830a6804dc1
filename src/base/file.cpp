#include "base/file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>

namespace {

bool Refuse(FileRefusal* refusal, FileRefusal::Kind kind, const std::string& why) {
  if (refusal) *refusal = {kind, why};
  return false;
}

bool RefuseKind(FileRefusal* refusal, mode_t mode) {
  const char* why = S_ISDIR(mode)                    ? "is a folder, not a file"
                    : S_ISFIFO(mode)                 ? "is a pipe, not a file"
                    : S_ISCHR(mode) || S_ISBLK(mode) ? "is a device, not a file"
                    : S_ISSOCK(mode)                 ? "is a socket, not a file"
                                                     : "is not a regular file";
  return Refuse(refusal, FileRefusal::NotAFile, why);
}

bool RefuseSize(FileRefusal* refusal, size_t limit) {
  const std::string size =
      limit % (size_t{1} << 20) == 0 ? std::to_string(limit >> 20) + " MB" : std::to_string(limit) + " bytes";
  return Refuse(refusal, FileRefusal::TooLarge, "is larger than " + size);
}

bool RefuseError(FileRefusal* refusal, const char* what, int error) {
  return Refuse(refusal, FileRefusal::Unreadable, std::string(what) + " (" + std::strerror(error) + ")");
}

bool ReadOpened(int fd, size_t limit, std::vector<uint8_t>& bytes, FileRefusal* refusal) {
  struct stat info;
  if (fstat(fd, &info) != 0) return RefuseError(refusal, "cannot be examined", errno);
  if (!S_ISREG(info.st_mode)) return RefuseKind(refusal, info.st_mode);
  if (info.st_size < 0 || static_cast<uint64_t>(info.st_size) > limit) return RefuseSize(refusal, limit);
  bytes.resize(static_cast<size_t>(info.st_size));
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t got = read(fd, bytes.data() + done, bytes.size() - done);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return RefuseError(refusal, "cannot be read", errno);
    if (got == 0) break;  // it shrank since it was measured
    done += static_cast<size_t>(got);
  }
  bytes.resize(done);
  // The end should be here; a file that grew meanwhile is read on, and refused past the limit.
  uint8_t more[4096];
  for (;;) {
    const ssize_t got = read(fd, more, sizeof more);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return RefuseError(refusal, "cannot be read", errno);
    if (got == 0) return true;
    if (static_cast<size_t>(got) > limit - bytes.size()) return RefuseSize(refusal, limit);
    bytes.insert(bytes.end(), more, more + got);
  }
}

}  // namespace

std::string ShowFilePath(const char* showName) {
  std::string path = showName ? showName : "";
  for (char& c : path)
    if (c == '\\') c = '/';
  return path;
}

bool ReadWholeFile(const char* path, size_t limit, std::vector<uint8_t>& bytes, FileRefusal* refusal) {
  bytes.clear();
  if (refusal) *refusal = {};
  if (!path || !*path) return Refuse(refusal, FileRefusal::Missing, "has no name");
  // Anything but a regular file is refused before it is opened; the open itself does not wait
  // (a pipe put there meanwhile would otherwise wait for a writer that may never come), and
  // what was opened is looked at again.
  struct stat info;
  if (stat(path, &info) == 0 && !S_ISREG(info.st_mode)) return RefuseKind(refusal, info.st_mode);
  int fd;
  do {
    fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    if (errno == ENOENT || errno == ENOTDIR) return Refuse(refusal, FileRefusal::Missing, "does not exist");
    if (errno == ELOOP) return Refuse(refusal, FileRefusal::Unreadable, "is a link that leads round in a loop");
    return RefuseError(refusal, "cannot be opened", errno);
  }
  bool ok;
  try {
    ok = ReadOpened(fd, limit, bytes, refusal);
  } catch (const std::bad_alloc&) {
    ok = Refuse(refusal, FileRefusal::TooLarge, "does not fit in memory");
  }
  close(fd);
  if (!ok) std::vector<uint8_t>().swap(bytes);
  return ok;
}

bool ReadShowFile(const char* showName, size_t limit, std::vector<uint8_t>& bytes, FileRefusal* refusal) {
  return ReadWholeFile(ShowFilePath(showName).c_str(), limit, bytes, refusal);
}
