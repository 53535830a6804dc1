// scene_set.h - the eight scenes of the content pack and the texture bitmaps they name.
//
//   TdsScene s = BuildScene(3);                 // 1..8, in the file's axes (z up)
//   for (const SceneTexture& t : SceneTextures()) ...
//
// WriteSceneFiles (content.h) writes them all as Scenes/SceneN.3ds and Textures/<name>.
#pragma once
#include <string>
#include <vector>

#include "content/tds_writer.h"
#include "content/texture_art.h"

constexpr int kSceneCount = 8;

// Scene `number` (1..8); an empty scene for any other number.
TdsScene BuildScene(int number);

struct SceneTexture {
  std::string name;   // exactly as the materials store it
  bool indexed = false;
  Image rgb;          // when !indexed
  IndexedImage pal;   // when indexed
};
std::vector<SceneTexture> SceneTextures();
