// pcx2png.h - `tavrine-tool pcx2png IN.pcx OUT.png`: decodes a PCX picture with the show's
// reader and writes it as an RGB PNG. argv[0] is the command name.
#pragma once

int RunPcx2Png(int argc, char** argv);
