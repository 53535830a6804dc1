#include "scene3d/animation.h"

#include <cmath>
#include <numbers>

#include "display/display.h"
#include "scene3d/renderer.h"
#include "scene3d/scenes.h"

// Arithmetic as the animations have always done it: the named values are floats, written
// constants and sin/cos are double precision, each result stored back as a float.
namespace {

constexpr double PI = std::numbers::pi;

float Cos(double x) { return static_cast<float>(std::cos(x)); }
float Sin(double x) { return static_cast<float>(std::sin(x)); }

void Draw(Scene* scene) {
  if (displayContext.device) RenderScene(scene, displayContext.device);
}

// RotationY(b) x RotationZ(a): a turn about z by a first, then about y by b.
Matrix4x4 Turn(float a, float b) { return MultiplyMatrices(RotationZ(a), RotationY(b)); }

// Writes the four y-rotation elements, leaving the rest of the matrix as it is.
void SetYRotation(Matrix4x4& m, float c, float s) {
  m.m[0] = c;
  m.m[2] = s;
  m.m[8] = -s;
  m.m[10] = c;
}

void SetEnvironmentMapped(Scene& scene, const SceneObject& object) {
  if (object.materialIndex < scene.materialCount) scene.materials[object.materialIndex].flags = MATERIAL_ENVIRONMENT_MAPPED;
}

}  // namespace

Matrix4x4 RotationZ(float angle) {
  Matrix4x4 m = MakeIdentity();
  m.m[0] = Cos(angle);
  m.m[1] = Sin(angle);
  m.m[4] = -Sin(angle);
  m.m[5] = Cos(angle);
  return m;
}

Matrix4x4 RotationY(float angle) {
  Matrix4x4 m = MakeIdentity();
  m.m[0] = Cos(angle);
  m.m[2] = Sin(angle);
  m.m[8] = -Sin(angle);
  m.m[10] = Cos(angle);
  return m;
}

// A wobbling, shearing turn about z that drifts in x and y, breathing in and out of view.
void AnimateScene1(float t) {
  if (Scene1.objectCount > 0) {
    const float b = Cos(2 * PI * t / 12);
    const float c = t / 12;
    Matrix4x4& m = Scene1.objects[0].matrix;
    m.m[0] = Cos(c + b / 2);
    m.m[1] = Sin(c + b / 2);
    m.m[4] = -Sin(c + b / 2);
    m.m[5] = Cos(c - b / 2);  // c - b/2 here: the turn shears as it wobbles
    m.m[3] = static_cast<float>(10 * std::cos(double{t / 13}));
    m.m[7] = static_cast<float>(10 * std::sin(double{t / 14}));
    Scene1.objects[0].alpha = 0.5f + b / 4;
  }
  Draw(&Scene1);
}

// Every object turns about y, half transparent.
void AnimateScene2(float t) {
  const float a = static_cast<float>(0.1 * t);
  for (uint32_t j = 0; j < Scene2.objectCount; ++j) {
    SetYRotation(Scene2.objects[j].matrix, Cos(a), Sin(a));
    Scene2.objects[j].alpha = 0.5f;
  }
  Draw(&Scene2);
}

// The first object pulses along a turning direction, mirrored in an environment map, while
// the camera circles it.
void AnimateScene3(float t) {
  if (Scene3.objectCount > 0) {
    SceneObject& object = Scene3.objects[0];
    object.alpha = 1.0f;
    const float a1 = static_cast<float>(PI * t / 6);
    const float a2 = static_cast<float>(PI * t / 30);
    const Vector3 raw = SetVector(Cos(a1), Sin(a1), Sin(a2));
    const Vector3 d = DivideVector(raw, VectorLength(raw));
    // The rest shape is a second load of the same file; one that does not match is not used.
    const SceneObject* rest = Scene3Rest.objectCount > 0 ? &Scene3Rest.objects[0] : nullptr;
    if (rest && rest->vertices && object.vertices && rest->vertexCount >= object.vertexCount) {
      for (uint32_t i = 0; i < object.vertexCount; ++i) {
        SceneVertex& v = object.vertices[i];
        const float k = (std::fabs(DotProduct(SetVector(v.nx, v.ny, v.nz), d)) + 2) * 0.5f;
        v.x = k * rest->vertices[i].x;
        v.y = k * rest->vertices[i].y;
        v.z = k * rest->vertices[i].z;
      }
    }
    Scene3.cameraEye = SetVector(static_cast<float>(50 * std::sin(0.1 * t)), static_cast<float>(50 * std::sin(t / 12.3)),
                                 static_cast<float>(50 * std::cos(0.1 * t)));
    object.matrix = Turn(t / 6, static_cast<float>(0.2 * t));
    SetEnvironmentMapped(Scene3, object);
  }
  Draw(&Scene3);
}

// Every object spins, later ones faster, and all share one circling translation.
void AnimateScene4(float t) {
  const float x = static_cast<float>(10 * std::cos(0.05 * t));
  const float y = static_cast<float>(10 * std::sin(0.05 * t));
  for (uint32_t j = 0; j < Scene4.objectCount; ++j) {
    const float i = static_cast<float>(j + 1);
    Matrix4x4& m = Scene4.objects[j].matrix;
    m = Turn(static_cast<float>(0.012 * i * t), i * t / 120);
    m.m[3] = y;
    m.m[7] = x;
    m.m[11] = y;
    Scene4.objects[j].alpha = 0.6f;
  }
  Draw(&Scene4);
}

// A turning, mirrored object lit by an ambient first light, the camera panning across it.
void AnimateScene5(float t) {
  if (Scene5.objectCount > 0) {
    SceneObject& object = Scene5.objects[0];
    object.matrix = Turn(t / 7, t / 8);
    object.alpha = 0.7f;
    SetEnvironmentMapped(Scene5, object);
  }
  if (Scene5.lightCount > 0) Scene5.lights[0].type = LIGHT_AMBIENT;
  Scene5.cameraTarget.x = static_cast<float>((t - 76) * 0.25);
  Draw(&Scene5);
}

// The first object turns one way, the others the other way, and the camera rolls.
void AnimateScene6(float t) {
  const float a = static_cast<float>(0.1 * t);
  for (uint32_t j = 0; j < Scene6.objectCount; ++j) {
    if (j == 0)
      SetYRotation(Scene6.objects[0].matrix, Cos(a), -Sin(a));
    else
      SetYRotation(Scene6.objects[j].matrix, Cos(t / 8), Sin(t / 8));
  }
  Scene6.cameraRoll = static_cast<float>(0.05 * t);
  Draw(&Scene6);
}

// The other objects drift away from the first one's orientation and come back to it.
void AnimateScene7(float t) {
  const float a = static_cast<float>(std::sin(double{t / 4}) + t / 6);
  const float b = static_cast<float>(std::cos(t / 6.7) + t / 5);
  const float w = static_cast<float>((std::cos(double{t / 8}) + 1) * 0.5);
  const float c = static_cast<float>((1 - w) * (std::cos(t / 6.5) + t / 6.1) + w * a);
  const float d = static_cast<float>((1 - w) * (std::sin(t / 4.5) + t / 5.3) + w * b);
  for (uint32_t j = 0; j < Scene7.objectCount; ++j) Scene7.objects[j].matrix = j == 0 ? Turn(a, b) : Turn(c, d);
  Draw(&Scene7);
}
