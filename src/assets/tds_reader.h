// tds_reader.h - reads a 3D Studio scene file into a Scene.
//
//   Load3dsScene("Scenes\\Scene1.3ds", &Scene1, displayContext.device);   // 0 read, 1 not opened
//
// The chunk tree is walked as a flat sequence: the chunks whose children matter are entered,
// the ones understood are read, everything else is skipped by its length. Geometry lands in
// the show's axes (y and z exchanged, faces reversed); every vertex gets the mean normal of
// its faces. A material's texture is loaded as soon as its map file name is read, through
// the 3D device given (none: every material draws untextured).
//
// Malformed files never make it read or write outside a buffer or loop forever: the walk
// stops at a chunk shorter than its header or running past the end of the file, a chunk whose
// counts do not fit it is ignored, data for a mesh or light that does not exist yet is
// ignored, faces naming a vertex that does not exist are dropped.
#pragma once
#include <cstddef>
#include <cstdint>

#include "assets/scene.h"

// The largest file the reader takes: the show's largest scene is about 160 KB.
constexpr size_t TDS_FILE_LIMIT = size_t{64} << 20;

int Load3dsScene(const char* fileName, Scene* scene, Device3D* device);

// The same walk over bytes already in memory (the scene record is cleared first).
void Read3dsScene(const uint8_t* bytes, size_t length, Scene* scene, Device3D* device);
