#include "base/file.h"

std::string ShowFilePath(const char* showName) {
  std::string path = showName ? showName : "";
  for (char& c : path)
    if (c == '\\') c = '/';
  return path;
}

FILE* OpenShowFile(const char* showName, const char* mode) {
  return std::fopen(ShowFilePath(showName).c_str(), mode);
}

bool ReadShowFile(const char* showName, std::vector<uint8_t>& bytes) {
  bytes.clear();
  FILE* file = OpenShowFile(showName, "rb");
  if (!file) return false;
  bool ok = std::fseek(file, 0, SEEK_END) == 0;
  long length = ok ? std::ftell(file) : -1;
  ok = ok && length >= 0 && std::fseek(file, 0, SEEK_SET) == 0;
  if (ok) {
    bytes.resize(static_cast<size_t>(length));
    ok = length == 0 || std::fread(bytes.data(), 1, bytes.size(), file) == bytes.size();
  }
  std::fclose(file);
  if (!ok) bytes.clear();
  return ok;
}
