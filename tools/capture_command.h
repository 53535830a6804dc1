// capture_command.h - `tavrine-tool capture OUT.mkv [--fps N] [--content DIR]`: renders the
// whole show offline with its music into a video through the ffmpeg command.
#pragma once

int RunCaptureCommand(int argc, char** argv);
