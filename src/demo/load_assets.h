// load_assets.h - loading every table, picture, surface and scene behind the progress screen.
#pragma once

void LoadAssets();
void ShowLoadProgress(unsigned percentage);
