// lighting.h - software vertex lighting of the 3D scenes.
//
//   LightObjectVertices(scene, object, material.diffuse);
//
// Called by the renderer once per object per frame, after it has written each work vertex's
// transformed position and normal; sets each work vertex's colour from the scene's lights.
// Light types: 0 point with range and attenuation, 1 spot, 2 directional, 3 ambient, 4 point
// without range; others are ignored. Normals are used as given (not renormalised), the sum
// of the lights is clamped at 1.0 from above only, then multiplied by the diffuse colour.
//
// A spot light's angle is the float arc cosine of the cosine between its axis and the way to
// the vertex, but only vertices in its soft edge need its value: those clearly outside the
// outer cone or inside the inner one are told by comparing the cosine with the cone's own
// (SpotCosinesOf). LightingShortcuts::Off takes the arc cosine for every vertex, as the
// reference the shortcut is held against.
#pragma once
#include "assets/scene.h"

enum class LightingShortcuts { On, Off };

void LightObjectVertices(const Scene* scene, SceneObject* object, SceneColor diffuse,
                         LightingShortcuts shortcuts = LightingShortcuts::On);

// Below `outside` a cosine's angle is surely beyond phi (the vertex is unlit); above `inside`
// it is surely within both theta and phi (lit unscaled). Between them, or for a cone whose
// angles are not numbers or lie within kSpotConeMargin of 0 or pi, the arc cosine decides.
// The margin (in radians) is far wider than the library's arc cosine and cosine can stray and
// than a float step of the angle, and far narrower than any cone's soft edge.
constexpr double kSpotConeMargin = 1e-6;
struct SpotCosines {
  double outside = -2.0;  // no cosine is below it
  double inside = 2.0;    // nor above this one
};
SpotCosines SpotCosinesOf(const SceneLight& light);
