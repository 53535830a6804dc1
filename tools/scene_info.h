// scene_info.h - `tavrine-tool scene-info IN.3ds`: prints a scene as the show's reader loads
// it (values as held, after the axis swap) as one JSON object. No device is involved, so no
// texture is loaded. argv[0] is the command name.
#pragma once
#include <string>

#include "assets/scene.h"

int RunSceneInfo(int argc, char** argv);

// The JSON text for a loaded scene (floats with 9 significant digits, every vertex and face).
std::string SceneInfoJson(const Scene& scene);
