// renderer.h - draws a loaded Scene through the 3D device.
//
//   RenderScene(&Scene1, displayContext.device);   // inside the frame's open scene
//
// Objects are transformed, environment-mapped and lit in software; the device gets the view
// and projection of the scene's camera, one texture selection per run of objects sharing a
// material, and one triangle list of pre-lit world-space vertices per object. Each call
// rewrites every object's work vertices and the u, v of environment-mapped objects.
#pragma once
#include <cstdint>

#include "assets/scene.h"

class Device3D;

void RenderScene(Scene* scene, Device3D* device);

// Stable bubble sort of drawOrder (scene->objectCount object indices) by ascending
// materialIndex: objects sharing a material keep their file order.
void SortObjectsByMaterial(const Scene* scene, uint32_t* drawOrder);
