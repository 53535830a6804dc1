// The eight scenes. Each is laid out for the animation that drives it in the show: objects
// spin about the origin (the show turns them about the vertical axis and the viewing axis),
// so every scene is built around the origin with its camera far enough back that the
// moving parts stay between the near plane (10) and the far plane (500).
#include <cmath>
#include <filesystem>

#include "content/bmp_writer.h"
#include "content/content.h"
#include "content/scene_geometry.h"
#include "content/scene_set.h"

namespace {

constexpr float kPi = 3.14159265358979f;

TdsRgb Rgb(uint32_t c) {
  return {static_cast<uint8_t>(c >> 16), static_cast<uint8_t>(c >> 8), static_cast<uint8_t>(c)};
}

// Ambient a quarter of the diffuse; specular stays dark because the renderer adds it to
// every pixel as a glow.
TdsMaterial Material(const std::string& name, uint32_t diffuse, uint32_t specular, const std::string& texture) {
  TdsMaterial m;
  m.name = name;
  m.diffuse = Rgb(diffuse);
  m.ambient = {static_cast<uint8_t>(m.diffuse.r / 4), static_cast<uint8_t>(m.diffuse.g / 4),
               static_cast<uint8_t>(m.diffuse.b / 4)};
  m.specular = Rgb(specular);
  m.textureFile = texture;
  return m;
}

TdsMesh Named(TdsMesh mesh, const std::string& name, const std::string& material) {
  mesh.name = name;
  mesh.material = material;
  return mesh;
}

TdsMesh Placed(const TdsMesh& src, const Xf& xf) {
  TdsMesh m;
  AppendMesh(&m, src, xf);
  return m;
}

TdsLight PointLight(const std::string& name, TdsVec3 at, std::array<float, 3> colour, float range, float multiplier) {
  TdsLight l;
  l.name = name;
  l.position = at;
  l.color = colour;
  l.outerRange = range;
  l.multiplier = multiplier;
  return l;
}

TdsLight SpotLight(const std::string& name, TdsVec3 at, TdsVec3 target, std::array<float, 3> colour, float hotspot,
                   float falloff) {
  TdsLight l = PointLight(name, at, colour, 0, 0);
  l.spot = true;
  l.target = target;
  l.hotspot = hotspot;
  l.falloff = falloff;
  return l;
}

TdsCamera Camera(TdsVec3 at, TdsVec3 target, float lens) {
  TdsCamera c;
  c.name = "Camera01";
  c.position = at;
  c.target = target;
  c.lens = lens;
  return c;
}

// A sphere whose radius swells in lobes: smooth, with every vertex shared, so the
// reflection map slides over it without seams.
TdsMesh MakeLobedSphere(float r, int lobes, float depth, int slices, int stacks) {
  TdsMesh m = MakeSphere(r, slices, stacks, 2, 1);
  for (TdsVec3& v : m.vertices) {
    const double lon = std::atan2(v.y, v.x);
    const double lat = std::asin(std::fmax(-1.0, std::fmin(1.0, v.z / r)));
    const double k = 1.0 + depth * std::sin(lobes * lon) * std::cos(lat) * std::cos(lat) + 0.5 * depth * std::cos(3 * lat);
    v = {static_cast<float>(std::nearbyint(v.x * k * 4096) / 4096), static_cast<float>(std::nearbyint(v.y * k * 4096) / 4096),
         static_cast<float>(std::nearbyint(v.z * k * 4096) / 4096)};
  }
  return m;
}

// Scene 1: one bevelled star facing the camera; the show spins it in the picture plane,
// wobbling and half transparent over the plasma.
TdsScene Scene1() {
  TdsScene s;
  s.materials.push_back(Material("Brass", 0xFFC870, 0x282014, "Metal.bmp"));
  s.meshes.push_back(Named(Placed(MakeStarPrism(5, 25, 11, 4.0f, 1.8f), Xf::RotateX(kPi / 2)), "Star", "Brass"));
  s.lights.push_back(PointLight("Key", {-60, -80, 50}, {1.0f, 0.92f, 0.8f}, 400, 1.6f));
  s.lights.push_back(PointLight("Front", {0, -90, 10}, {0.7f, 0.65f, 0.6f}, 300, 1.2f));
  s.lights.push_back(PointLight("Rim", {70, -40, -40}, {0.45f, 0.6f, 1.0f}, 300, 1.2f));
  s.cameras.push_back(Camera({0, -76, 0}, {0, 0, 0}, 35));
  return s;
}

// Scene 2: a carousel of six shapes on a ring, turned about the vertical axis as one.
TdsScene Scene2() {
  TdsScene s;
  s.materials.push_back(Material("Marble", 0xFFFFFF, 0x141414, "Marble.bmp"));
  s.materials.push_back(Material("Ceramic", 0xE8F0FF, 0x101828, "Tiles.bmp"));
  s.materials.push_back(Material("Steel", 0xE0E8F0, 0x202428, "Metal.bmp"));
  s.materials.push_back(Material("Walnut", 0xFFE8D0, 0x100C08, "Wood.bmp"));
  s.materials.push_back(Material("Board", 0xE0FFE0, 0x081008, "Circuit.bmp"));
  s.materials.push_back(Material("Magma", 0xFFFFFF, 0x301008, "Lava.bmp"));
  const char* names[6] = {"Octa", "Cube", "Ring", "Icosa", "Gem", "Orb"};
  const char* mats[6] = {"Marble", "Ceramic", "Steel", "Walnut", "Board", "Magma"};
  const TdsMesh shapes[6] = {MakeOctahedron(9.5f),       MakeBox({6.5f, 6.5f, 6.5f}), MakeTorus(6.5f, 2.6f, 32, 12, 4, 1),
                             MakeIcosahedron(9),         MakeStarPrism(6, 8.5f, 4.5f, 3, 1.4f),
                             MakeSphere(7.5f, 24, 14, 2, 1)};
  for (int i = 0; i < 6; ++i) {
    const float a = 2 * kPi * i / 6;
    const Xf place = Xf::Translate({25 * std::cos(a), 25 * std::sin(a), 3 * std::sin(3 * a)}) * Xf::RotateZ(a) *
                     Xf::RotateX(0.4f + 0.3f * i);
    s.meshes.push_back(Named(Placed(shapes[i], place), names[i], mats[i]));
  }
  s.lights.push_back(PointLight("Sun", {-40, -90, 80}, {1.0f, 0.95f, 0.85f}, 450, 1.6f));
  s.lights.push_back(PointLight("Fill", {60, 40, -30}, {0.55f, 0.45f, 0.9f}, 300, 1.1f));
  s.lights.push_back(PointLight("Back", {-30, 80, 40}, {0.9f, 0.6f, 0.5f}, 300, 1.2f));
  s.cameras.push_back(Camera({0, -66, 30}, {0, 0, -2}, 35));
  return s;
}

// Scene 3: a smooth chrome knot at the origin; the show pushes its vertices out along
// their normals and flies the camera round it at about 50 units.
TdsScene Scene3() {
  TdsScene s;
  s.materials.push_back(Material("Chrome", 0xFFFFFF, 0x303438, "Chrome.bmp"));
  s.meshes.push_back(Named(MakeTorusKnot(2, 3, 8.0f, 3.5f, 2.3f, 256, 16), "Knot", "Chrome"));
  s.lights.push_back(PointLight("Warm", {-45, -50, 40}, {1.0f, 0.9f, 0.75f}, 350, 1.6f));
  s.lights.push_back(PointLight("Cool", {50, 45, -30}, {0.5f, 0.65f, 1.0f}, 350, 1.5f));
  s.lights.push_back(SpotLight("Top", {0, 0, 80}, {0, 0, 0}, {0.9f, 0.9f, 1.0f}, 30, 60));
  s.cameras.push_back(Camera({0, -50, 0}, {0, 0, 0}, 35));
  return s;
}

// Scene 4: an orrery. A sun at the origin and three planets; the show turns later objects
// faster and moves them all together by up to 10 units on each axis.
TdsScene Scene4() {
  TdsScene s;
  s.materials.push_back(Material("Sun", 0xFFFFFF, 0x402010, "Lava.bmp"));
  s.materials.push_back(Material("Stone", 0xF0F0F0, 0x101010, "Marble.bmp"));
  s.materials.push_back(Material("Giant", 0xFFFFFF, 0x141008, "Planet.bmp"));
  s.materials.push_back(Material("Techno", 0xD0FFD8, 0x081410, "Circuit.bmp"));
  s.meshes.push_back(Named(MakeSphere(10, 32, 18, 2, 1), "Sun", "Sun"));
  s.meshes.push_back(Named(Placed(MakeSphere(3.4f, 18, 10, 1, 1), Xf::Translate({16, 0, 1})), "Rocky", "Stone"));
  TdsMesh giant = MakeSphere(5.5f, 24, 14, 1, 1);
  AppendMesh(&giant, MakeBand(9.0f, 1.6f, 0.3f, 48, 6), Xf::RotateX(0.35f));
  s.meshes.push_back(Named(Placed(giant, Xf::Translate({-17, 17, -2}) * Xf::RotateY(0.3f)), "Ringed", "Giant"));
  TdsMesh techno = MakeIcosahedron(4.4f);
  AppendMesh(&techno, MakeTorus(6.4f, 0.55f, 32, 6, 4, 1), Xf::RotateY(0.9f));
  s.meshes.push_back(Named(Placed(techno, Xf::Translate({7, -29, 4})), "Probe", "Techno"));
  s.lights.push_back(PointLight("Corona", {0, 0, 0}, {1.0f, 0.8f, 0.55f}, 100, 1.9f));
  s.lights.push_back(PointLight("Front", {-30, -110, 60}, {0.6f, 0.65f, 0.8f}, 400, 1.3f));
  s.lights.push_back(SpotLight("Beam", {70, -70, 70}, {0, 0, 0}, {0.8f, 0.7f, 1.0f}, 20, 45));
  s.cameras.push_back(Camera({0, -70, 26}, {0, 0, 0}, 35));
  return s;
}

// Scene 5: a lobed gold jewel (reflection-mapped by the show) with three satellites; the
// camera pans sideways while the jewel turns. The first light becomes the ambient light.
TdsScene Scene5() {
  TdsScene s;
  s.materials.push_back(Material("Gold", 0xFFF4E0, 0x302410, "Gold.bmp"));
  s.materials.push_back(Material("Stone", 0xF0F0FF, 0x101018, "Marble.bmp"));
  s.meshes.push_back(Named(MakeLobedSphere(16, 5, 0.16f, 64, 32), "Jewel", "Gold"));
  const TdsVec3 sat[3] = {{-34, 14, 16}, {36, 30, -12}, {12, -22, -17}};
  const char* names[3] = {"Shard1", "Shard2", "Shard3"};
  for (int i = 0; i < 3; ++i) {
    s.meshes.push_back(Named(Placed(MakeOctahedron(4.5f + i), Xf::Translate(sat[i]) * Xf::RotateZ(0.5f * i) *
                                                               Xf::Scale(1, 1, 1.6f)),
                             names[i], "Stone"));
  }
  s.lights.push_back(PointLight("Ambient", {0, -60, 60}, {0.26f, 0.22f, 0.32f}, 300, 1.0f));
  s.lights.push_back(PointLight("Key", {-55, -70, 45}, {1.0f, 0.9f, 0.75f}, 350, 1.5f));
  s.lights.push_back(SpotLight("Beam", {60, -50, 50}, {0, 0, 0}, {0.6f, 0.7f, 1.0f}, 30, 50));
  s.cameras.push_back(Camera({0, -80, 12}, {0, 0, 0}, 35));
  return s;
}

// Scene 6: a turntable. The star in the middle turns one way; the disc with its crystals
// turns the other way as one, while the camera rolls.
TdsScene Scene6() {
  TdsScene s;
  s.materials.push_back(Material("Steel", 0xE8F0FF, 0x202830, "Metal.bmp"));
  s.materials.push_back(Material("Board", 0xE0FFE0, 0x081008, "Circuit.bmp"));
  s.materials.push_back(Material("Ceramic", 0xFFFFFF, 0x101820, "Tiles.bmp"));
  s.materials.push_back(Material("Marble", 0xC8C4D0, 0x101010, "Marble.bmp"));
  TdsMesh hub = MakeStarPrism(8, 12, 6, 2.2f, 1.0f);
  AppendMesh(&hub, MakeCylinder(2.5f, 2.2f, 12, 16, 1));
  AppendMesh(&hub, MakeSphere(3.5f, 16, 10, 1, 1), Xf::Translate({0, 0, 14}));
  s.meshes.push_back(Named(hub, "Hub", "Steel"));
  for (int i = 0; i < 6; ++i) {
    const float a = 2 * kPi * i / 6 + kPi / 6;
    const Xf at = Xf::Translate({24 * std::cos(a), 24 * std::sin(a), 4}) * Xf::RotateZ(a);
    const bool even = i % 2 == 0;
    const TdsMesh crystal = even ? Placed(MakeIcosahedron(4.5f), Xf::Scale(1, 1, 1.4f)) : Placed(MakeOctahedron(5), Xf::Scale(1, 1, 1.8f));
    s.meshes.push_back(Named(Placed(crystal, at), "Crystal" + std::to_string(i + 1), even ? "Board" : "Ceramic"));
  }
  s.meshes.push_back(Named(MakeCylinder(31, -5, -3, 48, 4), "Disc", "Marble"));
  s.lights.push_back(SpotLight("Overhead", {0, -10, 90}, {0, 0, 0}, {1.0f, 0.95f, 0.9f}, 50, 80));
  s.lights.push_back(PointLight("Glow", {-50, -50, 30}, {0.9f, 0.5f, 0.35f}, 250, 1.4f));
  s.lights.push_back(PointLight("Under", {40, 30, 10}, {0.3f, 0.5f, 1.0f}, 200, 1.2f));
  s.cameras.push_back(Camera({0, -62, 42}, {0, 0, 2}, 35));
  return s;
}

// Scene 7: a gimbal. The inner ring and core turn on their own; the two outer rings share
// one orientation that drifts away from the inner ring's and comes back to it.
TdsScene Scene7() {
  TdsScene s;
  s.materials.push_back(Material("Steel", 0xF0F4FF, 0x202830, "Metal.bmp"));
  s.materials.push_back(Material("Walnut", 0xFFF0E0, 0x100C08, "Wood.bmp"));
  s.materials.push_back(Material("Ceramic", 0xFFFFFF, 0x101820, "Tiles.bmp"));
  TdsMesh inner = MakeBand(11, 1.1f, 1.7f, 48, 4);
  AppendMesh(&inner, MakeSphere(4.8f, 20, 12, 2, 1));
  AppendMesh(&inner, MakeCylinder(0.8f, -10.5f, 10.5f, 8, 1), Xf::RotateY(kPi / 2));
  s.meshes.push_back(Named(Placed(inner, Xf::RotateX(kPi / 2)), "Inner", "Steel"));
  s.meshes.push_back(Named(Placed(MakeBand(16, 1.2f, 1.8f, 64, 6), Xf::RotateX(kPi / 2)), "Middle", "Walnut"));
  TdsMesh outer = MakeTorus(21, 1.4f, 64, 10, 8, 1);
  for (int i = 0; i < 8; ++i) {
    const float a = 2 * kPi * i / 8;
    AppendMesh(&outer, MakeSphere(2.4f, 10, 6, 1, 1), Xf::Translate({21 * std::cos(a), 21 * std::sin(a), 0}));
  }
  s.meshes.push_back(Named(Placed(outer, Xf::RotateX(kPi / 2)), "Outer", "Ceramic"));
  s.lights.push_back(PointLight("Key", {-50, -60, 50}, {1.0f, 0.92f, 0.8f}, 350, 1.6f));
  s.lights.push_back(PointLight("Back", {45, 50, -20}, {0.4f, 0.55f, 1.0f}, 300, 1.4f));
  s.lights.push_back(SpotLight("Pin", {30, -70, -30}, {0, 0, 0}, {0.9f, 0.8f, 1.0f}, 15, 35));
  s.cameras.push_back(Camera({0, -62, 16}, {0, 0, 0}, 35));
  return s;
}

// Scene 8: a small open temple: a tiled floor, four columns, a roof slab and a chrome orb.
TdsScene Scene8() {
  TdsScene s;
  s.materials.push_back(Material("Floor", 0xFFFFFF, 0x101010, "Tiles.bmp"));
  s.materials.push_back(Material("Marble", 0xF8F8F0, 0x141414, "Marble.bmp"));
  s.materials.push_back(Material("Walnut", 0xFFF0E0, 0x0C0806, "Wood.bmp"));
  s.materials.push_back(Material("Chrome", 0xFFFFFF, 0x303438, "Chrome.bmp"));
  s.meshes.push_back(Named(Placed(MakeFloor(60, 60, 12, 3), Xf::Translate({0, 0, -12})), "Floor", "Floor"));
  for (int i = 0; i < 4; ++i) {
    const float x = (i & 1) ? 16.0f : -16.0f, y = (i & 2) ? 16.0f : -16.0f;
    s.meshes.push_back(
        Named(Placed(MakeCylinder(2.4f, -12, 12, 16, 2), Xf::Translate({x, y, 0})), "Column" + std::to_string(i + 1), "Marble"));
  }
  s.meshes.push_back(Named(Placed(MakeBox({21, 21, 1.5f}), Xf::Translate({0, 0, 13.5f})), "Roof", "Walnut"));
  s.meshes.push_back(Named(MakeSphere(5, 24, 14, 1, 1), "Orb", "Chrome"));
  s.lights.push_back(SpotLight("Sun", {30, -40, 80}, {0, 0, 0}, {1.0f, 0.95f, 0.85f}, 40, 70));
  s.lights.push_back(PointLight("Lamp", {0, 0, 6}, {1.0f, 0.7f, 0.4f}, 60, 1.5f));
  s.cameras.push_back(Camera({30, -78, 22}, {0, 0, -2}, 35));
  return s;
}

}  // namespace

TdsScene BuildScene(int number) {
  switch (number) {
    case 1: return Scene1();
    case 2: return Scene2();
    case 3: return Scene3();
    case 4: return Scene4();
    case 5: return Scene5();
    case 6: return Scene6();
    case 7: return Scene7();
    case 8: return Scene8();
    default: return {};
  }
}

std::vector<SceneTexture> SceneTextures() {
  std::vector<SceneTexture> out;
  auto rgb = [&](const char* name, Image img) {
    SceneTexture t;
    t.name = name;
    t.rgb = std::move(img);
    out.push_back(std::move(t));
  };
  auto pal = [&](const char* name, IndexedImage img) {
    SceneTexture t;
    t.name = name;
    t.indexed = true;
    t.pal = std::move(img);
    out.push_back(std::move(t));
  };
  rgb("Chrome.bmp", MakeReflectionMap(256, kChromeTones));
  rgb("Gold.bmp", MakeReflectionMap(256, kGoldTones));
  pal("Marble.bmp", MakeMarble(256));
  pal("Tiles.bmp", MakeTiles(128));
  rgb("Metal.bmp", MakeBrushedMetal(128));
  rgb("Lava.bmp", MakeLava(128));
  rgb("Planet.bmp", MakeGasBands(128));
  rgb("Wood.bmp", MakeWood(128));
  rgb("Circuit.bmp", MakeCircuit(128));
  return out;
}

bool WriteSceneFiles(const std::string& dir, std::string* error) {
  const std::filesystem::path root(dir);
  for (const SceneTexture& t : SceneTextures()) {
    const std::string path = (root / "Textures" / t.name).string();
    const bool ok = t.indexed ? WriteBmp8(path, t.pal.indices, t.pal.palette, error) : WriteBmp24(path, t.rgb, error);
    if (!ok) return false;
  }
  for (int n = 1; n <= kSceneCount; ++n) {
    const std::string path = (root / "Scenes" / ("Scene" + std::to_string(n) + ".3ds")).string();
    if (!WriteTds(path, BuildScene(n), error)) return false;
  }
  return true;
}
