// starfield.h - the opening field of 2500 stars around a slowly turning camera.
//
//   InitStarfield();        // once, as the first user of the runtime random generator
//   DrawStarfield(t);       // each frame of the first segment, through the 3D device
#pragma once

constexpr int STAR_COUNT = 2500;

struct Star {
  float x, y, z;
  float brightness;  // distance from the origin / 866
};

extern Star Starfield[STAR_COUNT];

void InitStarfield();
void DrawStarfield(float t);
