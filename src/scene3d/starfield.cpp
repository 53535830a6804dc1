#include "scene3d/starfield.h"

Star Starfield[STAR_COUNT];

// Placeholder until the starfield lands.
void InitStarfield() {}
void DrawStarfield(float) {}
