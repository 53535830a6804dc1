#include "offline_show.h"

#include <unistd.h>

#include <climits>
#include <filesystem>

#include "demo/demo.h"

std::string DefaultContentDir() {
  char exe[PATH_MAX] = {};
  const ssize_t length = readlink("/proc/self/exe", exe, sizeof exe - 1);
  if (length <= 0) return "";
  const std::filesystem::path folder = std::filesystem::path(std::string(exe, static_cast<size_t>(length))).parent_path();
  // The build writes the pack beside the tool; an install puts it under share/.
  for (const std::filesystem::path& candidate : {folder / "content", folder.parent_path() / "share" / "tavrine3d"}) {
    std::error_code ec;
    if (std::filesystem::is_directory(candidate, ec)) return candidate.lexically_normal().string();
  }
  return "";
}

OfflineShow::OfflineShow(std::string contentDir, double fps, AudioOutput* audio)
    : offline(fps, audio), contentDir_(std::move(contentDir)) {}

int OfflineShow::Run(std::string* error, const ShowPlayback& playback) {
  std::error_code ec;
  const std::filesystem::path previous = std::filesystem::current_path(ec);
  if (!contentDir_.empty()) {
    std::filesystem::current_path(contentDir_, ec);
    if (ec) {
      if (error) *error = "cannot enter the content folder " + contentDir_ + ": " + ec.message();
      return 1;
    }
  }
  const int code = RunShow(&offline.platform, playback);
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
