#include "offline_show.h"

#include <unistd.h>

#include <climits>
#include <cstring>
#include <filesystem>

#include "demo/demo.h"

std::string DefaultContentDir() {
  char exe[PATH_MAX] = {};
  const ssize_t length = readlink("/proc/self/exe", exe, sizeof exe - 1);
  if (length <= 0) return "";
  const std::filesystem::path beside = std::filesystem::path(std::string(exe, static_cast<size_t>(length))).parent_path() / "content";
  std::error_code ec;
  return std::filesystem::is_directory(beside, ec) ? beside.string() : "";
}

OfflineShow::OfflineShow(std::string contentDir, double fps, AudioOutput* audio)
    : offline(fps, audio), contentDir_(std::move(contentDir)) {}

int OfflineShow::Run(std::string* error) {
  std::error_code ec;
  const std::filesystem::path previous = std::filesystem::current_path(ec);
  if (!contentDir_.empty()) {
    std::filesystem::current_path(contentDir_, ec);
    if (ec) {
      if (error) *error = "cannot enter the content folder " + contentDir_ + ": " + ec.message();
      return 1;
    }
  }
  const int code = RunShow(&offline.platform);
  if (!previous.empty()) std::filesystem::current_path(previous, ec);
  if (code != 0 && error) {
    *error = "the show stopped";
    if (!offline.system.messageBoxes.empty()) {
      const auto& box = offline.system.messageBoxes.back();
      *error = box.caption + ": " + box.text;
    }
  }
  return code;
}

bool TakeOption(int& i, int argc, char** argv, const char* name, std::string* value) {
  if (std::strcmp(argv[i], name) != 0) return false;
  if (i + 1 >= argc) return false;
  *value = argv[++i];
  return true;
}
