// file.h - the one way the show opens its data files.
//
// The show names its files with backslashes ("Images\Cred1.pcx"); they are mapped to '/'
// and opened relative to the working directory (the launcher starts the show in the
// content folder).
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

std::string ShowFilePath(const char* showName);
FILE* OpenShowFile(const char* showName, const char* mode);
// Reads the whole file into `bytes`; false (and `bytes` empty) when it cannot be opened or read.
bool ReadShowFile(const char* showName, std::vector<uint8_t>& bytes);
