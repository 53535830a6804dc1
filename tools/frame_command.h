// frame_command.h - `tavrine-tool frame POSITION OUT.png [--content DIR]`: runs the show
// offline up to the first presented frame whose TimelinePosition >= POSITION and writes it.
#pragma once

int RunFrameCommand(int argc, char** argv);
