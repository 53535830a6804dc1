#include <filesystem>
#include <system_error>

#include "content/content.h"

// Every part is written even when an earlier one fails, so one broken part never hides the
// state of the others; the first failure is the one reported.
bool MakeContent(const std::string& dir, std::string* error) {
  std::error_code ec;
  for (const char* sub : {"Music", "Images", "Textures", "Scenes"}) {
    std::filesystem::create_directories(std::filesystem::path(dir) / sub, ec);
    if (ec) {
      if (error) *error = "cannot create " + (std::filesystem::path(dir) / sub).string() + ": " + ec.message();
      return false;
    }
  }
  bool ok = true;
  std::string first;
  for (bool (*part)(const std::string&, std::string*) : {WriteSongFile, WritePictureFiles, WriteSceneFiles}) {
    std::string why;
    if (!part(dir, &why)) {
      if (ok) first = why.empty() ? "a part of the content pack failed" : why;
      ok = false;
    }
  }
  if (!ok && error) *error = first;
  return ok;
}
