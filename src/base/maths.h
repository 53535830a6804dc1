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

struct Vector3 {
  float x, y, z;
};

struct Matrix4x4 {
  float m[16];
};

Vector3 SetVector(float x, float y, float z);
// Each component divided by s (a true division, not a multiply by 1/s).
Vector3 DivideVector(Vector3 v, float s);
float LengthSquared(Vector3 v);
// sqrt(LengthSquared(v)), rounded once to single precision.
float VectorLength(Vector3 v);
// a - b.
Vector3 SubtractVectors(Vector3 a, Vector3 b);
// a.x * b.x + a.y * b.y + a.z * b.z, summed in that order.
float DotProduct(Vector3 a, Vector3 b);
// a x b.
Vector3 CrossProduct(Vector3 a, Vector3 b);

Matrix4x4 MakeZero();
Matrix4x4 MakeIdentity();
// result(i, j) = sum over k of second(i, k) * first(k, j): second x first in row-major terms.
// For column vectors the result applies first, then second.
Matrix4x4 MultiplyMatrices(const Matrix4x4& first, const Matrix4x4& second);
// x and y scaled alike by cos(fov / 2); the aspect ratio is the viewport's business.
Matrix4x4 MakePerspective(float nearPlane, float farPlane, float fieldOfView);
// The camera's roll comes in through up.
Matrix4x4 MakeLookAt(Vector3 eye, Vector3 target, Vector3 up);
