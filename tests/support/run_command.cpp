#include "support/run_command.h"

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/scratch.h"
#include "test_paths.h"

CommandResult RunCommand(const std::string& commandLine) {
  static int serial = 0;
  CommandResult result;
  const std::string errPath = ScratchDir() + "stderr-" + std::to_string(++serial);
  FILE* pipe = popen((commandLine + " 2>" + errPath).c_str(), "r");
  if (!pipe) return result;
  char block[65536];
  size_t got;
  while ((got = std::fread(block, 1, sizeof block, pipe)) > 0) result.out.append(block, got);
  const int status = pclose(pipe);
  result.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::ifstream err(errPath);
  std::stringstream text;
  text << err.rdbuf();
  result.err = text.str();
  std::filesystem::remove(errPath);
  return result;
}

CommandResult RunTool(const std::string& arguments) { return RunCommand(std::string(TAVRINE_TOOL_PATH) + " " + arguments); }
