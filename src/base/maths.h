// maths.h - the 3D scenes' vectors and matrices, all in single precision.
//
//   Matrix4x4 view = MakeLookAt(eye, target, SetVector(0.0f, 1.0f, 0.0f));
//   Matrix4x4 projection = MakePerspective(10.0f, 500.0f, fieldOfView);
//   Matrix4x4 turn = MultiplyMatrices(RotationZ, RotationY);   // = second x first
//
// Matrices are row-major: element (row i, column j) is m[4 * i + j]. View and projection
// matrices use the 3D device's row-vector layout (v' = v x M) and go to it unchanged; object
// matrices are applied to column vectors (translation in m[3], m[7], m[11]). Nothing here
// allocates or keeps state, and nothing checks its input: a zero length gives non-finite
// results, never a fault.
#pragma once

#include <cmath>

struct Vector3 {
  float x, y, z;
};

struct Matrix4x4 {
  float m[16];
};

// The vector helpers are inline: the lighting calls them for every vertex of every frame.
inline Vector3 SetVector(float x, float y, float z) { return Vector3{x, y, z}; }
// Each component divided by s (a true division, not a multiply by 1/s).
inline Vector3 DivideVector(Vector3 v, float s) { return Vector3{v.x / s, v.y / s, v.z / s}; }
inline float LengthSquared(Vector3 v) { return v.x * v.x + v.y * v.y + v.z * v.z; }
// sqrt(LengthSquared(v)), rounded once to single precision.
inline float VectorLength(Vector3 v) { return static_cast<float>(std::sqrt(static_cast<double>(LengthSquared(v)))); }
// a - b.
inline Vector3 SubtractVectors(Vector3 a, Vector3 b) { return Vector3{a.x - b.x, a.y - b.y, a.z - b.z}; }
// a.x * b.x + a.y * b.y + a.z * b.z, summed in that order.
inline float DotProduct(Vector3 a, Vector3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
// a x b.
inline Vector3 CrossProduct(Vector3 a, Vector3 b) {
  return Vector3{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

Matrix4x4 MakeZero();
Matrix4x4 MakeIdentity();
// result(i, j) = sum over k of second(i, k) * first(k, j): second x first in row-major terms.
// For column vectors the result applies first, then second.
Matrix4x4 MultiplyMatrices(const Matrix4x4& first, const Matrix4x4& second);
// x and y scaled alike by cos(fov / 2); the aspect ratio is the viewport's business.
Matrix4x4 MakePerspective(float nearPlane, float farPlane, float fieldOfView);
// The camera's roll comes in through up.
Matrix4x4 MakeLookAt(Vector3 eye, Vector3 target, Vector3 up);
