// frame_command.h - `tavrine-tool frame POSITION OUT.png [--replay] [--content DIR]`: the
// show's frame at timeline position POSITION (0 to 122) as a 320 x 240 PNG.
//
// The frame is the first one at or after POSITION of a run from the start at 60 frames per
// second; from the show's last frame on (up to 122) it is that last frame. The show jumps
// straight there, as every step draws from its position alone; --replay plays every frame
// from the start instead, and gives the same pixels.
#pragma once

int RunFrameCommand(int argc, char** argv);
