// lighting.h - software vertex lighting of the 3D scenes.
//
//   LightObjectVertices(scene, object, material.diffuse);
//
// Called by the renderer once per object per frame, after it has written each work vertex's
// transformed position and normal; sets each work vertex's colour from the scene's lights.
// Light types: 0 point with range and attenuation, 1 spot, 2 directional, 3 ambient, 4 point
// without range; others are ignored. Normals are used as given (not renormalised), the sum
// of the lights is clamped at 1.0 from above only, then multiplied by the diffuse colour.
#pragma once
#include "assets/scene.h"

void LightObjectVertices(const Scene* scene, SceneObject* object, SceneColor diffuse);
