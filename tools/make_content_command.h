// make_content_command.h - `tavrine-tool make-content DIR [--contact-sheet OUT.png]
// [--force]` and `tavrine-tool make-icon SIZE OUT.png`.
//
// make-content writes into an empty folder, a new one, or one holding an earlier pack; a
// folder with anything else in it, or /, only with --force, so that a slip of the keyboard
// does not scatter the pack among someone's files.
#pragma once
#include <string>

// Why `dir` is no place for the pack without --force, or "" when it is.
std::string ContentFolderObjection(const std::string& dir);

int RunMakeContentCommand(int argc, char** argv);
int RunMakeIconCommand(int argc, char** argv);
