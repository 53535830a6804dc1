// scene_geometry.h - mesh building blocks for the scene files, in the file's axes (z up),
// faces counter-clockwise seen from outside. Vertices are shared wherever the surface is
// smooth, so the show's averaged normals come out smooth. Mapping coordinates are kept in
// 0..1 and rely on the renderer's wrapped interpolation, which takes the short way between
// two values: so no triangle may span half the texture or more in u or in v.
//
//   TdsMesh ring = MakeTorus(12, 2, 48, 12, 4, 1);
//   AppendMesh(&object, ring, Xf::Translate({0, 0, 5}) * Xf::RotateX(0.5f));
#pragma once
#include <array>
#include <vector>

#include "content/tds_writer.h"

// An affine transform: 3x3 linear part (rows) and a translation.
struct Xf {
  float m[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  TdsVec3 t;

  static Xf Translate(TdsVec3 v);
  static Xf Scale(float sx, float sy, float sz);
  static Xf RotateX(float a);
  static Xf RotateY(float a);
  static Xf RotateZ(float a);
  Xf operator*(const Xf& o) const;  // applies o first
  TdsVec3 Apply(TdsVec3 p) const;
};

// Copies src into *dst through xf (faces keep facing out when xf mirrors).
void AppendMesh(TdsMesh* dst, const TdsMesh& src, const Xf& xf = Xf());

// Ring around the z axis: radius R to the tube centre, tube radius r; uRepeat/vRepeat tile
// the texture along and around the tube.
TdsMesh MakeTorus(float R, float r, int segments, int sides, int uRepeat, int vRepeat);
// Same ring with a square (bevelled-band) cross-section of half width w and half height h.
TdsMesh MakeBand(float R, float w, float h, int segments, int uRepeat);
// Tube along the (p, q) torus knot of radius R with knot height scale; many shared vertices.
TdsMesh MakeTorusKnot(int p, int q, float R, float swing, float tube, int segments, int sides);
// Latitude/longitude sphere with one vertex at each pole.
TdsMesh MakeSphere(float r, int slices, int stacks, int uRepeat, int vRepeat);
// Box with flat faces (separate vertices per face), each face mapped once.
TdsMesh MakeBox(TdsVec3 half);
// Star-shaped prism: outline points around the z axis (radius alternating outer/inner),
// extruded from -h to +h with a bevel of depth b.
TdsMesh MakeStarPrism(int points, float outer, float inner, float h, float b);
// Regular polyhedra scaled to circumradius r, flat faces, planar-mapped.
TdsMesh MakeOctahedron(float r);
TdsMesh MakeIcosahedron(float r);
// Cylinder along z from z0 to z1 with flat caps.
TdsMesh MakeCylinder(float r, float z0, float z1, int sides, int uRepeat);
// Flat grid in the z = 0 plane facing +z, size sx by sy, mapped with `repeat` tiles
// (keep repeat / cells under a half).
TdsMesh MakeFloor(float sx, float sy, int cells, int repeat);

// Signed volume of a closed mesh: positive when its faces wind outward.
double SignedVolume(const TdsMesh& mesh);
