#include "scene3d/starfield.h"

#include <cmath>
#include <cstdint>

#include "base/maths.h"
#include "display/display.h"
#include "platform/rng.h"
#include "raster/device3d.h"

Star Starfield[STAR_COUNT];

namespace {

constexpr float RAND_SCALE = 1.0f / 32767;     // held in single precision
constexpr double INVERSE_CORNER = 0.0011547344110854503;  // 1 / 866, the cube's corner
constexpr float NEAR_PLANE = 10.0f;
constexpr float FAR_PLANE = 500.0f;
constexpr float FIELD_OF_VIEW = 1.5707964f;

float RandomCoordinate() {
  return static_cast<float>(RuntimeRand()) * RAND_SCALE * 1000.0f - 500.0f;
}

// Truncated toward zero; brightness never exceeds 1.00003, so this stays within a byte.
uint32_t WhiteWithAlpha(float alpha) {
  return (static_cast<uint32_t>(static_cast<int32_t>(alpha)) & 0xFFu) << 24 | 0x00FFFFFFu;
}

}  // namespace

// The sequence depends on this being the generator's first user since start-up: it does not
// seed.
void InitStarfield() {
  for (Star& star : Starfield) {
    star.x = RandomCoordinate();
    star.y = RandomCoordinate();
    star.z = RandomCoordinate();
    float squared = star.x * star.x + star.y * star.y + star.z * star.z;
    star.brightness =
        static_cast<float>(std::sqrt(static_cast<double>(squared)) * INVERSE_CORNER);
  }
}

void DrawStarfield(float t) {
  Device3D* device = displayContext.device;
  if (device == nullptr) return;

  float sx = static_cast<float>(std::sin(t / 12.0));
  float sy = static_cast<float>(std::sin(t / 13.13));
  float cz = static_cast<float>(std::cos(t / 14.164));
  Vector3 target = SetVector(sx, sy, cz);
  target = DivideVector(target, VectorLength(target));
  Matrix4x4 view = MakeLookAt(SetVector(0.0f, 0.0f, 0.0f), target, SetVector(0.0f, 1.0f, 0.0f));
  Matrix4x4 projection = MakePerspective(NEAR_PLANE, FAR_PLANE, FIELD_OF_VIEW);
  device->SetTransform(TransformState::View, view.m);
  device->SetTransform(TransformState::Projection, projection.m);

  device->Begin(PrimitiveType::PointList);
  LitVertex vertex{};
  vertex.specular = 0;
  for (const Star& star : Starfield) {
    uint32_t centre = WhiteWithAlpha(star.brightness * 255.0f);
    uint32_t halo = WhiteWithAlpha(star.brightness * 0.5f * 255.0f);
    // One vertex moved in place through the five points, in single precision.
    vertex.x = star.x;
    vertex.y = star.y;
    vertex.z = star.z;
    vertex.color = centre;
    device->Vertex(vertex);
    vertex.color = halo;
    vertex.x += 0.5f;
    device->Vertex(vertex);
    vertex.x -= 1.0f;
    device->Vertex(vertex);
    vertex.x += 0.5f;
    vertex.y += 0.5f;
    device->Vertex(vertex);
    vertex.y -= 1.0f;
    device->Vertex(vertex);
  }
  device->End();
}
