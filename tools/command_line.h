// command_line.h - how each tavrine-tool command reads its arguments and answers a mistake:
// `--help` prints the command's usage on stdout (exit 0); a usage error prints one line
// naming what is wrong, then that command's usage line, on stderr (exit 2).
//
//   static const ToolCommand command{"frame", "POSITION OUT.png [--replay] [--content DIR]", details};
//   if (IsOption(arg) && arg != "--content") return command.UnknownOption(arg);
#pragma once
#include <string>

constexpr int EXIT_USAGE = 2;

struct ToolCommand {
  const char* name;   // "frame"
  const char* usage;  // what follows the name on the usage line
  const char* help;   // further lines for --help (each ending in a newline), or ""

  int Help() const;                                // usage and help on stdout; 0
  int UsageError(const std::string& reason) const;  // the reason and the usage line on stderr; 2
  int UnknownOption(const std::string& option) const;
  // The value after the option at argv[i] (and i moves past it), or null when there is none.
  const char* Value(int& i, int argc, char** argv) const;
};

// An argument that names an option: "-" and a letter, or "--" and more ("-1" is a number).
bool IsOption(const std::string& argument);
bool IsHelp(const std::string& argument);  // --help or -h

// A decimal number filling the whole text, or false.
bool ParseNumber(const std::string& text, double* value);
bool ParseInteger(const std::string& text, long* value);
