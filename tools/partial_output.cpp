#include "partial_output.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

namespace fs = std::filesystem;

bool IsFrameFileName(const std::string& name) {
  if (name.size() != 10 || name.compare(6, 4, ".png") != 0) return false;
  for (int i = 0; i < 6; ++i)
    if (!std::isdigit(static_cast<unsigned char>(name[i]))) return false;
  return true;
}

bool PartialOutput::Claim(const std::string& path, Kind kind, bool replace, std::string* error) {
  Discard();
  auto fail = [&](const std::string& why) {
    if (error) *error = why;
    return false;
  };
  std::error_code ec;
  fs::path target = fs::absolute(path, ec);
  if (ec) return fail("cannot make sense of the name " + path + ": " + ec.message());
  target = target.lexically_normal();
  if (!target.has_filename()) target = target.parent_path();  // "frames/" names the folder
  if (!target.has_filename() || target.filename() == "." || target.filename() == "..")
    return fail("name the " + std::string(kind == File ? "file" : "folder") + " to write, not " + path);
  const fs::path folder = target.parent_path();
  if (!fs::is_directory(folder, ec))
    return fail("cannot write " + target.string() + ": " +
                (fs::exists(folder, ec) ? folder.string() + " is not a folder"
                                        : "the folder " + folder.string() + " does not exist"));

  const fs::file_status status = fs::status(target, ec);
  if (fs::exists(status)) {
    if (kind == File) {
      if (fs::is_directory(status)) return fail(target.string() + " is a folder");
      if (!replace) return fail(target.string() + " exists: add --force to replace it");
    } else {
      if (!fs::is_directory(status)) return fail(target.string() + " exists and is not a folder");
      if (!replace && !fs::is_empty(target, ec))
        return fail(target.string() + " holds files already: add --force to write the frames into it");
    }
  }

  const fs::path partial = folder / ("." + target.filename().string() + ".tavrine-" + std::to_string(getpid()) + ".part");
  if (kind == File) {
    const int fd = open(partial.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) return fail("cannot write into " + folder.string() + ": " + std::strerror(errno));
    close(fd);
  } else if (mkdir(partial.c_str(), 0755) != 0) {
    return fail("cannot write into " + folder.string() + ": " + std::strerror(errno));
  }
  kind_ = kind;
  target_ = target.string();
  partial_ = partial.string();
  claimed_ = true;
  return true;
}

bool PartialOutput::Commit(std::string* error) {
  if (!claimed_) {
    if (error) *error = "nothing to put in place";
    return false;
  }
  std::error_code ec;
  if (kind_ == File || !fs::exists(target_, ec)) {
    if (std::rename(partial_.c_str(), target_.c_str()) != 0) {
      if (error) *error = "cannot put " + target_ + " in place: " + std::strerror(errno);
      return false;
    }
    claimed_ = false;
    return true;
  }
  // Into an existing folder: first the earlier capture's pictures, then ours.
  std::vector<fs::path> stale;
  for (const fs::directory_entry& entry : fs::directory_iterator(target_, ec))
    if (IsFrameFileName(entry.path().filename().string())) stale.push_back(entry.path());
  for (const fs::path& old : stale) fs::remove(old, ec);
  for (const fs::directory_entry& entry : fs::directory_iterator(partial_, ec)) {
    const fs::path to = fs::path(target_) / entry.path().filename();
    if (std::rename(entry.path().c_str(), to.c_str()) != 0) {
      if (error) *error = "cannot move the frames into " + target_ + ": " + std::strerror(errno);
      return false;
    }
  }
  fs::remove_all(partial_, ec);
  claimed_ = false;
  return true;
}

void PartialOutput::Discard() {
  if (!claimed_) return;
  std::error_code ec;
  fs::remove_all(partial_, ec);
  claimed_ = false;
}

uint64_t PartialOutput::Bytes() const {
  std::error_code ec;
  const fs::path where = claimed_ ? partial_ : target_;
  if (fs::is_regular_file(where, ec)) return fs::file_size(where, ec);
  uint64_t total = 0;
  for (const fs::directory_entry& entry : fs::directory_iterator(where, ec))
    if (entry.is_regular_file(ec) && (claimed_ || IsFrameFileName(entry.path().filename().string())))
      total += entry.file_size(ec);
  return total;
}
