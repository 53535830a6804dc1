#include "command_line.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

int ToolCommand::Help() const {
  std::printf("usage: tavrine-tool %s %s\n%s", name, usage, help);
  return 0;
}

int ToolCommand::UsageError(const std::string& reason) const {
  std::fprintf(stderr, "tavrine-tool %s: %s\nusage: tavrine-tool %s %s\n", name, reason.c_str(), name, usage);
  return EXIT_USAGE;
}

int ToolCommand::UnknownOption(const std::string& option) const { return UsageError("unknown option " + option); }

const char* ToolCommand::Value(int& i, int argc, char** argv) const {
  if (i + 1 >= argc) return nullptr;
  return argv[++i];
}

bool IsOption(const std::string& argument) {
  if (argument.size() < 2 || argument[0] != '-') return false;
  return !std::isdigit(static_cast<unsigned char>(argument[1])) && argument[1] != '.';
}

bool IsHelp(const std::string& argument) { return argument == "--help" || argument == "-h"; }

bool ParseNumber(const std::string& text, double* value) {
  if (text.empty() || std::isspace(static_cast<unsigned char>(text[0]))) return false;
  char* end = nullptr;
  errno = 0;
  const double parsed = std::strtod(text.c_str(), &end);
  if (*end != '\0' || errno == ERANGE || !std::isfinite(parsed)) return false;
  *value = parsed;
  return true;
}

bool ParseInteger(const std::string& text, long* value) {
  if (text.empty() || std::isspace(static_cast<unsigned char>(text[0]))) return false;
  char* end = nullptr;
  errno = 0;
  const long parsed = std::strtol(text.c_str(), &end, 10);
  if (*end != '\0' || errno == ERANGE) return false;
  *value = parsed;
  return true;
}
