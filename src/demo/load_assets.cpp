#include "demo/load_assets.h"

#include "display/display.h"
#include "effects/tables.h"

// Placeholder until asset loading lands: the first present and the tables.
void ShowLoadProgress(unsigned) { PresentFrame(&displayContext); }

void LoadAssets() {
  PresentFrame(&displayContext);
  BuildLookupTables(ShowLoadProgress);
}
