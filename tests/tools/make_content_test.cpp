#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "content/content.h"
#include "content/picture_set.h"

namespace fs = std::filesystem;

TEST(MakeContent, WritesEveryPartItCan) {
  const fs::path dir = fs::temp_directory_path() / ("tavrine_make_content_" + std::to_string(::getpid()));
  fs::remove_all(dir);
  std::string error;
  const bool ok = MakeContent(dir.string(), &error);
  for (const char* sub : {"Music", "Images", "Textures", "Scenes"}) EXPECT_TRUE(fs::is_directory(dir / sub)) << sub;
  // A part that fails does not stop the others: the pictures are there either way.
  for (const PackPicture& p : PackPictures()) EXPECT_TRUE(fs::exists(dir / p.path)) << p.path;
  if (!ok) {
    EXPECT_FALSE(error.empty());
  }
  fs::remove_all(dir);

  // A pack folder below a plain file cannot be made.
  const fs::path file = fs::temp_directory_path() / ("tavrine_make_content_file_" + std::to_string(::getpid()));
  std::ofstream(file) << "x";
  error.clear();
  EXPECT_FALSE(MakeContent((file / "pack").string(), &error));
  EXPECT_NE(error.find("cannot create"), std::string::npos) << error;
  fs::remove(file);
}
