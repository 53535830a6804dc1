// capture_command.h - `tavrine-tool capture`: the show rendered offline with its music into a
// video, a folder of numbered PNG pictures, or the sound alone, through the ffmpeg command.
// Everything is checked before the first frame; an interrupt or a failure leaves nothing.
#pragma once

int RunCaptureCommand(int argc, char** argv);
