// commands.h - every tavrine-tool command's usage line and help, in one place: the tool's
// overview lists them, and each command answers --help and its usage errors with its own.
#pragma once
#include "command_line.h"

extern const ToolCommand kMakeContentCommand;
extern const ToolCommand kMakeIconCommand;
extern const ToolCommand kFrameCommand;
extern const ToolCommand kCaptureCommand;
extern const ToolCommand kPlayCommand;
extern const ToolCommand kPcx2PngCommand;
extern const ToolCommand kSceneInfoCommand;
extern const ToolCommand kGlyphAtlasCommand;

// What `tavrine-tool --help` prints: a line for each command.
void PrintToolOverview(FILE* out);
