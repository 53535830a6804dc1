#include <filesystem>
#include <system_error>

#include "content/content.h"

bool MakeContent(const std::string& dir, std::string* error) {
  std::error_code ec;
  for (const char* sub : {"Music", "Images", "Textures", "Scenes"}) {
    std::filesystem::create_directories(std::filesystem::path(dir) / sub, ec);
    if (ec) {
      if (error) *error = "cannot create " + (std::filesystem::path(dir) / sub).string() + ": " + ec.message();
      return false;
    }
  }
  return WriteSongFile(dir, error) && WritePictureFiles(dir, error) && WriteSceneFiles(dir, error);
}
