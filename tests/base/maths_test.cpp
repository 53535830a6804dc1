#include "base/maths.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

void ExpectMatrixEq(const Matrix4x4& actual, const Matrix4x4& expected) {
  for (int i = 0; i < 16; i++) EXPECT_EQ(actual.m[i], expected.m[i]) << "element " << i;
}

// p' = M x p for a column vector (x, y, z, 1).
Vector3 Apply(const Matrix4x4& m, Vector3 p) {
  return SetVector(m.m[0] * p.x + m.m[1] * p.y + m.m[2] * p.z + m.m[3],
                   m.m[4] * p.x + m.m[5] * p.y + m.m[6] * p.z + m.m[7],
                   m.m[8] * p.x + m.m[9] * p.y + m.m[10] * p.z + m.m[11]);
}

}  // namespace

TEST(Maths, VectorsDivideRatherThanMultiplyByTheInverse) {
  Vector3 v = SetVector(5.0f, 7.0f, 10.0f);
  EXPECT_EQ(v.x, 5.0f);
  EXPECT_EQ(v.y, 7.0f);
  EXPECT_EQ(v.z, 10.0f);
  EXPECT_EQ(LengthSquared(v), 174.0f);

  Vector3 d = DivideVector(v, 3.0f);
  EXPECT_EQ(d.x, 5.0f / 3.0f);
  EXPECT_EQ(d.y, 7.0f / 3.0f);
  EXPECT_EQ(d.z, 10.0f / 3.0f);
  // Multiplying by the inverse would round differently here.
  EXPECT_NE(d.x, 5.0f * (1.0f / 3.0f));
}

TEST(Maths, MultiplyMatricesIsSecondTimesFirst) {
  Matrix4x4 zero = MakeZero();
  for (float element : zero.m) EXPECT_EQ(element, 0.0f);
  Matrix4x4 identity = MakeIdentity();
  for (int i = 0; i < 16; i++) EXPECT_EQ(identity.m[i], (i % 5 == 0) ? 1.0f : 0.0f);

  Matrix4x4 a{};
  for (int i = 0; i < 16; i++) a.m[i] = static_cast<float>(i * 3 - 7) * 0.25f;
  ExpectMatrixEq(MultiplyMatrices(a, identity), a);
  ExpectMatrixEq(MultiplyMatrices(identity, a), a);

  // First a translation by (5, 0, 0), then a quarter turn about z (x' = y, y' = -x).
  Matrix4x4 translation = MakeIdentity();
  translation.m[3] = 5.0f;
  Matrix4x4 rotation = MakeIdentity();
  rotation.m[0] = 0.0f;
  rotation.m[1] = 1.0f;
  rotation.m[4] = -1.0f;
  rotation.m[5] = 0.0f;
  Matrix4x4 product = MultiplyMatrices(translation, rotation);
  // B x A: the translation column is rotated too.
  EXPECT_EQ(product.m[0], 0.0f);
  EXPECT_EQ(product.m[1], 1.0f);
  EXPECT_EQ(product.m[3], 0.0f);
  EXPECT_EQ(product.m[7], -5.0f);
  Vector3 moved = Apply(product, SetVector(0.0f, 0.0f, 0.0f));
  EXPECT_EQ(moved.x, 0.0f);
  EXPECT_EQ(moved.y, -5.0f);
  // The other order rotates first and leaves the translation alone.
  Matrix4x4 swapped = MultiplyMatrices(rotation, translation);
  EXPECT_EQ(swapped.m[3], 5.0f);
  EXPECT_EQ(swapped.m[7], 0.0f);
}

TEST(Maths, PerspectiveProjection) {
  Matrix4x4 p = MakePerspective(10.0f, 500.0f, 1.5707964f);
  float c = static_cast<float>(std::cos(0.7853982));
  float s = static_cast<float>(std::sin(0.7853982));
  EXPECT_FLOAT_EQ(p.m[0], c);
  EXPECT_FLOAT_EQ(p.m[5], c);
  EXPECT_FLOAT_EQ(p.m[11], s);
  EXPECT_FLOAT_EQ(p.m[10], s / 0.98f);
  EXPECT_EQ(p.m[14], -10.0f * p.m[10]);
  for (int i : {1, 2, 3, 4, 6, 7, 8, 9, 12, 13, 15}) EXPECT_EQ(p.m[i], 0.0f) << "element " << i;

  // Row vectors: a point on the near plane lands on depth 0, one on the far plane on w.
  auto depthOver = [&](float z) { return (z * p.m[10] + p.m[14]) / (z * p.m[11]); };
  EXPECT_NEAR(depthOver(10.0f), 0.0f, 1e-6f);
  EXPECT_NEAR(depthOver(500.0f), 1.0f, 1e-6f);
}

TEST(Maths, LookAt) {
  Matrix4x4 view = MakeLookAt(SetVector(0.0f, 0.0f, -10.0f), SetVector(0.0f, 0.0f, 0.0f),
                              SetVector(0.0f, 1.0f, 0.0f));
  Matrix4x4 expected = MakeIdentity();
  expected.m[14] = 10.0f;
  ExpectMatrixEq(view, expected);

  // A roll of a quarter turn: up along +x makes right point down.
  Matrix4x4 rolled = MakeLookAt(SetVector(0.0f, 0.0f, 0.0f), SetVector(0.0f, 0.0f, 5.0f),
                                SetVector(1.0f, 0.0f, 0.0f));
  EXPECT_FLOAT_EQ(rolled.m[0], 0.0f);
  EXPECT_FLOAT_EQ(rolled.m[4], -1.0f);
  EXPECT_FLOAT_EQ(rolled.m[1], 1.0f);

  // An oblique camera: the axes are orthonormal and the target lies straight ahead.
  Vector3 eye = SetVector(30.0f, -12.0f, 7.0f);
  Vector3 target = SetVector(-4.0f, 9.0f, 50.0f);
  Matrix4x4 m = MakeLookAt(eye, target, SetVector(0.0f, 1.0f, 0.0f));
  Vector3 axes[3];
  for (int c = 0; c < 3; c++) axes[c] = SetVector(m.m[c], m.m[4 + c], m.m[8 + c]);
  for (int a = 0; a < 3; a++) {
    for (int b = 0; b < 3; b++) {
      float dot = axes[a].x * axes[b].x + axes[a].y * axes[b].y + axes[a].z * axes[b].z;
      EXPECT_NEAR(dot, a == b ? 1.0f : 0.0f, 1e-5f) << a << "," << b;
    }
  }
  EXPECT_EQ(m.m[3], 0.0f);
  EXPECT_EQ(m.m[7], 0.0f);
  EXPECT_EQ(m.m[11], 0.0f);
  EXPECT_EQ(m.m[15], 1.0f);
  // Row vector times matrix: the target goes to (0, 0, distance).
  float viewed[3];
  for (int c = 0; c < 3; c++)
    viewed[c] = target.x * m.m[c] + target.y * m.m[4 + c] + target.z * m.m[8 + c] + m.m[12 + c];
  float dx = target.x - eye.x, dy = target.y - eye.y, dz = target.z - eye.z;
  EXPECT_NEAR(viewed[0], 0.0f, 1e-4f);
  EXPECT_NEAR(viewed[1], 0.0f, 1e-4f);
  EXPECT_NEAR(viewed[2], std::sqrt(dx * dx + dy * dy + dz * dz), 1e-3f);
  EXPECT_GT(m.m[5], 0.0f);  // y up stays up
}

// A camera with no direction (eye on target, as in a scene without a camera, or up along the
// view) makes a view that is not finite: the device draws nothing through it.
TEST(Maths, LookAtWithoutADirection) {
  const Matrix4x4 blind = MakeLookAt(SetVector(1.0f, 2.0f, 3.0f), SetVector(1.0f, 2.0f, 3.0f), SetVector(0.0f, 1.0f, 0.0f));
  for (int i : {0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14}) EXPECT_TRUE(std::isnan(blind.m[i])) << i;
  const Matrix4x4 upright = MakeLookAt(SetVector(0.0f, 0.0f, 0.0f), SetVector(0.0f, 5.0f, 0.0f), SetVector(0.0f, 1.0f, 0.0f));
  for (int i : {0, 4, 8, 12}) EXPECT_TRUE(std::isnan(upright.m[i])) << i;
  EXPECT_FLOAT_EQ(upright.m[6], 1.0f);  // forward itself is fine
}

