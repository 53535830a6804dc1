// load_assets.h - every table, picture, surface and scene, loaded once in a fixed order
// behind a progress screen (the loading picture, "Loading...", the percentage and a white
// bar growing up the right edge), presented after every item.
//
// What loading makes on the heap (picture surfaces, scene arrays and texture records) is
// owned here: ReleaseAssets gives it all back, and LoadAssets calls it first, so a second
// load in the same process starts clean. The textures themselves belong to the 3D device
// and go with it when the display is released.
#pragma once

void LoadAssets();
// Every picture surface deleted and set to null, every scene freed and zeroed. Safe to call
// at any time, also when nothing was loaded.
void ReleaseAssets();
void ShowLoadProgress(unsigned percentage);

// The bar's height for a percentage: trunc(percentage x 2.4) = floor(percentage x 12 / 5).
int LoadProgressBarHeight(unsigned percentage);
