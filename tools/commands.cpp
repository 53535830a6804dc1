#include "commands.h"

#include <cstdio>

const ToolCommand kMakeContentCommand{
    "make-content", "DIR [--contact-sheet OUT.png] [--force]",
    "Writes the whole content pack (music, pictures, scenes, textures) into DIR, made if needed.\n"
    "  --contact-sheet OUT.png  also one PNG showing every picture of the pack\n"
    "  --force                  write even into a folder that holds other files, or into /\n",
    "write the content pack into DIR"};

const ToolCommand kMakeIconCommand{
    "make-icon", "SIZE OUT.png",
    "Draws the desktop icon, SIZE x SIZE pixels (16 to 1024), as a PNG with transparency.\n",
    "draw the desktop icon"};

const ToolCommand kFrameCommand{
    "frame", "POSITION OUT.png [--replay] [--content DIR]",
    "Writes the show's frame at timeline position POSITION (0 to 122; one unit is 1/1.2 s) as a\n"
    "320 x 240 PNG: the first frame at or after POSITION, or the show's last frame from there on.\n"
    "Prints position=P scene_time=T segment=S.\n"
    "  --replay       play every frame from the start instead of jumping there (same pixels)\n"
    "  --content DIR  the content pack (default: the one beside the tool, else the installed one)\n",
    "render the show's frame at POSITION"};

const ToolCommand kCaptureCommand{
    "capture", "(OUT.mp4|OUT.mkv|OUT.mov | --frames DIR | --audio OUT.wav|OUT.flac) [options]",
    "Renders the show offline with its music, through the ffmpeg command.\n"
    "  OUT.mp4|.mkv|.mov    a video (the container follows the name)\n"
    "  --frames DIR         numbered PNG pictures (000000.png, ...) instead of a video\n"
    "  --audio FILE         the sound alone, as .wav or .flac, without drawing the pictures\n"
    "  --size WxH           frame size (default 1280x960); the picture is enlarged by the largest\n"
    "                       whole number that fits, by halves from 4.5 up (1920x1080: 1440x1080),\n"
    "                       nearest neighbour, centred on black\n"
    "  --quality web        H.264 4:2:0 CRF 18, AAC 192 kb/s (default)\n"
    "  --quality high       H.264 4:4:4 CRF 12, FLAC in .mkv, AAC 320 kb/s otherwise\n"
    "  --quality lossless   H.264 RGB lossless with FLAC, in .mkv: the pixels exactly as drawn\n"
    "  --fps N              frames per second, 1 to 240 (default 60)\n"
    "  --from P, --to P     timeline positions 0 to 122 (one unit is 1/1.2 s); a capture from 0\n"
    "                       opens with the loading screens (0.8 s, silent)\n"
    "  --no-loading         start at position 0 without the loading screens\n"
    "  --force              replace an existing output\n"
    "  --content DIR        the content pack (default: the one beside the tool, else the installed one)\n",
    "render the show with music to a video, pictures or sound"};

const ToolCommand kPlayCommand{
    "play",
    "[--window|--fullscreen] [--scale N] [--filter nearest|sharp|linear] [--no-vsync] [--start POSITION] "
    "[--loop] [--fps] [--mute] [--content DIR]",
    "Plays the show with its music, as the show itself does, the way you want to watch it.\n"
    "  --window         in a window of 320 x 240 times the scale (default: full screen)\n"
    "  --fullscreen     full screen (the default)\n"
    "  --scale N        the window's size in multiples of 320 x 240, 1 to 16 (default 2)\n"
    "  --filter F       nearest (default: the largest whole multiple that fits, centred), sharp\n"
    "                   (a whole multiple, then smoothed to fill the 4:3 area) or linear (smoothed)\n"
    "  --no-vsync       present frames as fast as they come\n"
    "  --start P        start at timeline position P, 0 to 122 (one unit is 1/1.2 s)\n"
    "  --loop           at the end start again from the beginning, music and all\n"
    "  --fps            the frame rate, position and music time in a line under the picture\n"
    "  --mute           no sound (the music still keeps time)\n"
    "  --content DIR    the content pack (default: the one beside the tool, else the installed one)\n"
    "Keys: Esc quits, Alt+Enter switches full screen, Space pauses, Left and Right jump a segment.\n",
    "play the show in a window or full screen, from any position"};

const ToolCommand kPcx2PngCommand{"pcx2png", "IN.pcx OUT.png", "Decodes a PCX picture with the show's reader and writes it as a PNG.\n",
                                  "decode a PCX picture with the show's reader"};

const ToolCommand kSceneInfoCommand{
    "scene-info", "IN.3ds", "Prints a 3D Studio scene as the show loads it (after its axis swap), as one JSON object.\n",
    "print a scene as the show loads it, as JSON"};

const ToolCommand kGlyphAtlasCommand{
    "glyph-atlas", "OUT [--points 8,10]",
    "Writes the show's face as the glyph atlas the web page draws its text from: each Latin-1\n"
    "character's coverage as the font library renders it, and how a line lays them out.\n"
    "  --points LIST  the sizes, in points at 96 dpi (default 8,10: the sizes the show draws)\n",
    "write the show's face as the web page's glyph atlas"};

void PrintToolOverview(FILE* out) {
  std::fprintf(out, "usage: tavrine-tool COMMAND [ARGUMENTS]\n");
  for (const ToolCommand* c : {&kPlayCommand, &kFrameCommand, &kCaptureCommand, &kMakeContentCommand,
                               &kMakeIconCommand, &kPcx2PngCommand, &kSceneInfoCommand, &kGlyphAtlasCommand})
    std::fprintf(out, "  %-13s %s\n", c->name, c->summary);
  std::fprintf(out, "'tavrine-tool COMMAND --help' shows a command's arguments.\n");
}
