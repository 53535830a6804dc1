// run_command.h - runs a command line as a user would, its exit status, standard output and
// standard error kept apart (for the tests of tavrine-tool).
//
//   const CommandResult r = RunCommand(std::string(TAVRINE_TOOL_PATH) + " frame --help");
#pragma once
#include <string>

struct CommandResult {
  int code = -1;  // the exit status, -1 when the command did not exit normally
  std::string out, err;
};

CommandResult RunCommand(const std::string& commandLine);

// The tool built beside the tests (TAVRINE_TOOL_PATH), with arguments.
CommandResult RunTool(const std::string& arguments);
