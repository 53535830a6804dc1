// glyph_atlas_command.h - `tavrine-tool glyph-atlas OUT [--points 8,10]`: writes the show's
// face, at the sizes the show draws, as the glyph atlas the web page draws its text from.
// argv[0] is the command name.
#pragma once

int RunGlyphAtlasCommand(int argc, char** argv);
