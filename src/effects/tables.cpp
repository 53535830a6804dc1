#include "effects/tables.h"

int32_t SineTable[1024];
uint8_t SubtractTable[256 * 256];
int32_t GlowSprite[16][16];
uint16_t TunnelTable[SCREEN_PIXELS];
float DistanceTable[160 * 120];
uint8_t TunnelShadeTable[SCREEN_PIXELS];

// Placeholder until the tables land: only the progress screens.
void BuildLookupTables(ProgressFunction progress) {
  progress(0);
  progress(2);
  progress(4);
  progress(8);
  progress(15);
}
