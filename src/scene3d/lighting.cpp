#include "scene3d/lighting.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// Intensity of one light at a vertex; anything not above 0 adds nothing. `cone` is the spot's
// cosines (for any other light it is not used).
float LightIntensity(const SceneLight& light, const SpotCosines& cone, Vector3 p, Vector3 n) {
  switch (light.type) {
    case LIGHT_POINT: {
      Vector3 d = SubtractVectors(p, light.position);
      // The range cube rejects most vertices before any square root.
      if (std::fabs(d.x) > light.range || std::fabs(d.y) > light.range ||
          std::fabs(d.z) > light.range)
        return 0.0f;
      float distance = VectorLength(d);
      if (distance > light.range) return 0.0f;
      // At the light itself there is no way towards it (0 / 0): nothing, as the NaN intensity
      // that division gave never counted as light.
      if (distance == 0.0f) return 0.0f;
      float f = (light.range - distance) / light.range;
      float a = light.attenuation0 + light.attenuation1 * f + light.attenuation2 * f * f;
      Vector3 toLight = DivideVector(SetVector(-d.x, -d.y, -d.z), distance);
      return a * DotProduct(n, toLight);
    }
    case LIGHT_SPOT: {
      Vector3 d = SubtractVectors(p, light.position);
      const float length = VectorLength(d);
      // At the light itself there is no angle (0 / 0 gave NaN, for which both cone comparisons
      // are false): the vertex is lit unscaled, as inside the inner cone.
      if (length == 0.0f) return -DotProduct(n, light.direction);
      Vector3 u = DivideVector(d, length);
      float cosine = DotProduct(u, light.direction);
      // Rounding can push a unit dot product just past 1; acos would give NaN there and
      // drop the vertex right on the axis.
      if (cosine > 1.0f) cosine = 1.0f;
      if (cosine < -1.0f) cosine = -1.0f;
      if (cosine < cone.outside) return 0.0f;
      if (cosine > cone.inside) return -DotProduct(n, light.direction);
      float angle = static_cast<float>(std::acos(static_cast<double>(cosine)));
      if (angle > light.phi) return 0.0f;
      float e = -DotProduct(n, light.direction);
      if (angle > light.theta && light.phi > light.theta) {
        float s = (angle - light.theta) / (light.phi - light.theta);
        if (light.falloff == 1.0f) {
          e = e * (1.0f - s);
        } else {
          double power = std::pow(static_cast<double>(s * 1.570796f),
                                  static_cast<double>(light.falloff));
          e = e * static_cast<float>(std::cos(power));
        }
      }
      return e;
    }
    case LIGHT_DIRECTIONAL:
      return DotProduct(n, light.direction);
    case LIGHT_POINT_PLAIN: {
      Vector3 v = SubtractVectors(light.position, p);
      const float length = VectorLength(v);
      if (length == 0.0f) return 0.0f;  // no way towards it, as for type 0
      return DotProduct(n, DivideVector(v, length));
    }
    default:
      return 0.0f;
  }
}

}  // namespace

SpotCosines SpotCosinesOf(const SceneLight& light) {
  SpotCosines cone;
  constexpr double kPi = 3.141592653589793;
  // Also false for angles that are not numbers.
  auto usable = [](double angle) { return angle >= 1000 * kSpotConeMargin && angle <= kPi - 1000 * kSpotConeMargin; };
  const double phi = light.phi, theta = light.theta;
  if (!usable(phi)) return cone;
  cone.outside = std::cos(phi + kSpotConeMargin);
  if (usable(theta)) cone.inside = std::cos(std::min(phi, theta) - kSpotConeMargin);
  return cone;
}

void LightObjectVertices(const Scene* scene, SceneObject* object, SceneColor diffuse,
                         LightingShortcuts shortcuts) {
  if (object == nullptr || object->workVertices == nullptr) return;
  const SceneLight* lights = scene != nullptr ? scene->lights : nullptr;
  uint32_t lightCount = lights != nullptr ? scene->lightCount : 0;
  thread_local std::vector<SpotCosines> cones;
  cones.assign(lightCount, SpotCosines{});
  if (shortcuts == LightingShortcuts::On)
    for (uint32_t l = 0; l < lightCount; l++)
      if (lights[l].type == LIGHT_SPOT) cones[l] = SpotCosinesOf(lights[l]);

  for (uint32_t i = 0; i < object->vertexCount; i++) {
    WorkVertex& work = object->workVertices[i];
    Vector3 p = SetVector(work.x, work.y, work.z);
    Vector3 n = SetVector(work.nx, work.ny, work.nz);
    float sr = 0.0f, sg = 0.0f, sb = 0.0f;
    for (uint32_t l = 0; l < lightCount; l++) {
      const SceneLight& light = lights[l];
      if (light.type == LIGHT_AMBIENT) {
        sr += light.color.r;
        sg += light.color.g;
        sb += light.color.b;
        continue;
      }
      float e = LightIntensity(light, cones[l], p, n);
      if (e > 0.0f) {
        sr += e * light.color.r;
        sg += e * light.color.g;
        sb += e * light.color.b;
      }
    }
    if (sr > 1.0f) sr = 1.0f;
    if (sg > 1.0f) sg = 1.0f;
    if (sb > 1.0f) sb = 1.0f;
    work.r = diffuse.r * sr;
    work.g = diffuse.g * sg;
    work.b = diffuse.b * sb;
  }
}
