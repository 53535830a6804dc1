#include "base/file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/scratch.h"

namespace {

namespace fs = std::filesystem;

std::string Make(const std::string& name, size_t size) {
  const std::string path = ScratchDir() + name;
  std::ofstream out(path, std::ios::binary);
  for (size_t i = 0; i < size; ++i) out.put(static_cast<char>(i * 7));
  return path;
}

FileRefusal Refusal(const std::string& path, size_t limit = 1000) {
  std::vector<uint8_t> bytes = {1, 2, 3};
  FileRefusal refusal;
  EXPECT_FALSE(ReadWholeFile(path.c_str(), limit, bytes, &refusal)) << path;
  EXPECT_TRUE(bytes.empty()) << path;
  return refusal;
}

TEST(ShowFile, ReadsWholeRegularFilesUpToTheLimit) {
  std::vector<uint8_t> bytes;
  const std::string file = Make("hundred.bin", 100);
  ASSERT_TRUE(ReadWholeFile(file.c_str(), 100, bytes));
  ASSERT_EQ(bytes.size(), 100u);
  EXPECT_EQ(bytes[99], static_cast<uint8_t>(99 * 7));
  const FileRefusal over = Refusal(file, 99);
  EXPECT_EQ(over.kind, FileRefusal::TooLarge);
  EXPECT_EQ(over.why, "is larger than 99 bytes");
  EXPECT_EQ(Refusal(Make("big.bin", 3 << 20), 2 << 20).why, "is larger than 2 MB");

  ASSERT_TRUE(ReadWholeFile(Make("empty.bin", 0).c_str(), 10, bytes));
  EXPECT_TRUE(bytes.empty());
  // A regular file whose size says 0 is read to its end all the same.
  ASSERT_TRUE(ReadWholeFile("/proc/self/status", 1 << 20, bytes));
  EXPECT_NE(std::string(bytes.begin(), bytes.end()).find("Name:"), std::string::npos);

  // The show's names use backslashes.
  fs::create_directories(ScratchDir() + "Images");
  Make("Images/Face.bmp", 5);
  ASSERT_TRUE(ReadShowFile((ScratchDir() + "Images\\Face.bmp").c_str(), 5, bytes));
  EXPECT_EQ(bytes.size(), 5u);
}

TEST(ShowFile, RefusesWhatIsNotAFileWithoutWaiting) {
  EXPECT_EQ(Refusal(ScratchDir() + "nothing.bin").kind, FileRefusal::Missing);
  EXPECT_EQ(Refusal(ScratchDir() + "nothing.bin").why, "does not exist");
  EXPECT_EQ(Refusal("").kind, FileRefusal::Missing);

  const std::string folder = ScratchDir() + "folder";
  fs::create_directories(folder);
  EXPECT_EQ(Refusal(folder).kind, FileRefusal::NotAFile);
  EXPECT_EQ(Refusal(folder).why, "is a folder, not a file");

  const std::string pipe = ScratchDir() + "pipe";
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  EXPECT_EQ(Refusal(pipe).why, "is a pipe, not a file");  // no writer: must not wait for one

  EXPECT_EQ(Refusal("/dev/zero").why, "is a device, not a file");
  const std::string zero = ScratchDir() + "zero.bin";
  fs::create_symlink("/dev/zero", zero);
  EXPECT_EQ(Refusal(zero, size_t{64} << 20).why, "is a device, not a file");

  const std::string loop = ScratchDir() + "loop.bin";
  fs::create_symlink("loop.bin", loop);
  EXPECT_EQ(Refusal(loop).kind, FileRefusal::Unreadable);
  EXPECT_EQ(Refusal(loop).why, "is a link that leads round in a loop");

  // Nobody may read it (the superuser still may).
  const std::string locked = Make("locked.bin", 10);
  fs::permissions(locked, fs::perms::none);
  if (geteuid() != 0) {
    EXPECT_EQ(Refusal(locked).why, "cannot be opened (Permission denied)");
  }
}

}  // namespace
