#include "base/maths.h"

#include <cmath>
#include <limits>

Matrix4x4 MakeZero() { return Matrix4x4{}; }

Matrix4x4 MakeIdentity() {
  Matrix4x4 result{};
  result.m[0] = 1.0f;
  result.m[5] = 1.0f;
  result.m[10] = 1.0f;
  result.m[15] = 1.0f;
  return result;
}

Matrix4x4 MultiplyMatrices(const Matrix4x4& first, const Matrix4x4& second) {
  Matrix4x4 result = MakeZero();
  for (int i = 0; i < 4; i++) {
    for (int j = 0; j < 4; j++) {
      float sum = result.m[4 * i + j];
      for (int k = 0; k < 4; k++) sum += second.m[4 * i + k] * first.m[4 * k + j];
      result.m[4 * i + j] = sum;
    }
  }
  return result;
}

Matrix4x4 MakePerspective(float nearPlane, float farPlane, float fieldOfView) {
  float half = fieldOfView * 0.5f;
  float c = static_cast<float>(std::cos(static_cast<double>(half)));
  float s = static_cast<float>(std::sin(static_cast<double>(half)));
  float q = s / (1.0f - nearPlane / farPlane);
  Matrix4x4 result = MakeZero();
  result.m[0] = c;
  result.m[5] = c;
  result.m[10] = q;
  result.m[11] = s;
  result.m[14] = -q * nearPlane;
  return result;
}

// Summed z first, as the camera translation has always been computed.
static float DotZYX(Vector3 a, Vector3 b) { return a.z * b.z + a.y * b.y + a.x * b.x; }

// v divided by its length. A vector of length 0 has no direction: every component is NaN, as
// 0 / 0 would give, so a camera whose eye is its target (or whose up lies along its view) makes
// a view that is not finite, through which the device draws nothing.
static Vector3 Unit(Vector3 v) {
  const float length = VectorLength(v);
  if (length == 0.0f) {
    const float none = std::numeric_limits<float>::quiet_NaN();
    return SetVector(none, none, none);
  }
  return DivideVector(v, length);
}

Matrix4x4 MakeLookAt(Vector3 eye, Vector3 target, Vector3 up) {
  Vector3 forward = Unit(SubtractVectors(target, eye));

  Vector3 right = CrossProduct(up, forward);
  // The new up is taken from right before right is normalised.
  Vector3 upNew = CrossProduct(forward, right);
  right = Unit(right);
  upNew = Unit(upNew);

  Matrix4x4 result = MakeIdentity();
  result.m[0] = right.x;
  result.m[4] = right.y;
  result.m[8] = right.z;
  result.m[1] = upNew.x;
  result.m[5] = upNew.y;
  result.m[9] = upNew.z;
  result.m[2] = forward.x;
  result.m[6] = forward.y;
  result.m[10] = forward.z;
  result.m[12] = -DotZYX(eye, right);
  result.m[13] = -DotZYX(eye, upNew);
  result.m[14] = -DotZYX(eye, forward);
  return result;
}
