// scratch.h - a folder of this test process's own for the files a test writes. CTest runs
// tests side by side in separate processes, so fixed names in the shared temporary folder
// would be written by two tests at once. The folder goes when the process ends.
//
//   const std::string path = ScratchDir() + "picture.bmp";
#pragma once
#include <unistd.h>

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

inline const std::string& ScratchDir() {
  struct Folder {
    std::string path;
    Folder() : path(::testing::TempDir() + "tavrine-test-" + std::to_string(::getpid()) + "/") {
      std::filesystem::create_directories(path);
    }
    ~Folder() {
      std::error_code ignored;
      std::filesystem::remove_all(path, ignored);
    }
  };
  static const Folder folder;
  return folder.path;
}
