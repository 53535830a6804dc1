// load_assets.h - every table, picture, surface and scene, loaded once in a fixed order
// behind a progress screen (the loading picture, "Loading...", the percentage and a white
// bar growing up the right edge), presented after every item.
#pragma once

void LoadAssets();
void ShowLoadProgress(unsigned percentage);

// The bar's height for a percentage: trunc(percentage x 2.4) = floor(percentage x 12 / 5).
int LoadProgressBarHeight(unsigned percentage);
