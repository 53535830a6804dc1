// file.h - the one way the show and its tool open a data file.
//
// A file is opened without waiting (a pipe with no writer does not hang us), taken only when
// it is a regular file, refused before a byte is read when it is larger than the reader's
// limit, and read whole. A refusal says why in words that follow the file's name ("is a
// folder, not a file", "is larger than 64 MB", ...).
//
//   std::vector<uint8_t> bytes;  FileRefusal refusal;
//   if (!ReadShowFile("Images\\Cred1.pcx", PCX_FILE_LIMIT, bytes, &refusal)) ... refusal.why ...
//
// The show names its files with backslashes ("Images\Cred1.pcx"); they are mapped to '/'
// and opened relative to the working directory (the launcher starts the show in the content
// folder). The tool's own arguments are paths as given (ReadWholeFile).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

std::string ShowFilePath(const char* showName);

struct FileRefusal {
  enum Kind { None, Missing, NotAFile, TooLarge, Unreadable } kind = None;
  std::string why;
};

// Both false with `bytes` empty when the file is refused or cannot be read.
bool ReadWholeFile(const char* path, size_t limit, std::vector<uint8_t>& bytes, FileRefusal* refusal = nullptr);
bool ReadShowFile(const char* showName, size_t limit, std::vector<uint8_t>& bytes, FileRefusal* refusal = nullptr);
