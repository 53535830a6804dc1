#include "assets/tds_reader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

namespace {

// Builds chunk trees byte by byte, lengths filled in when a chunk closes.
class Chunks {
 public:
  Chunks& Open(uint16_t id) {
    U16(id);
    open_.push_back(bytes_.size());
    U32(0);
    return *this;
  }
  Chunks& Close() {
    const size_t at = open_.back();
    open_.pop_back();
    const uint32_t length = static_cast<uint32_t>(bytes_.size() - (at - 2));
    std::memcpy(&bytes_[at], &length, 4);
    return *this;
  }
  Chunks& U16(uint16_t v) { return Raw(&v, 2); }
  Chunks& U32(uint32_t v) { return Raw(&v, 4); }
  Chunks& F(float v) { return Raw(&v, 4); }
  Chunks& Fs(std::initializer_list<float> vs) {
    for (float v : vs) F(v);
    return *this;
  }
  Chunks& Str(const std::string& s) { return Raw(s.c_str(), s.size() + 1); }
  Chunks& Bytes(std::initializer_list<uint8_t> bs) {
    for (uint8_t b : bs) bytes_.push_back(b);
    return *this;
  }
  Chunks& Raw(const void* p, size_t n) {
    const auto* b = static_cast<const uint8_t*>(p);
    bytes_.insert(bytes_.end(), b, b + n);
    return *this;
  }
  // The fixed openings: a main chunk with its version, an editor chunk with its mesh version.
  Chunks& Begin() { return Open(0x4D4D).Open(0x0002).U32(3).Close().Open(0x3D3D).Open(0x3D3E).U32(3).Close(); }
  Chunks& End() { return Close().Close(); }
  Chunks& Material(const std::string& name, std::initializer_list<uint8_t> diffuse) {
    Open(0xAFFF).Open(0xA000).Str(name).Close();
    Open(0xA020).Open(0x0011).Bytes(diffuse).Close().Close();
    return Close();
  }
  const std::vector<uint8_t>& bytes() const { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
  std::vector<size_t> open_;
};

// A mesh named `name` with the given file-axis vertices and faces.
Chunks& Mesh(Chunks& c, const std::string& name, const std::vector<std::vector<float>>& vertices,
             const std::vector<std::vector<uint16_t>>& faces, const std::vector<std::string>& groups = {}) {
  c.Open(0x4000).Str(name).Open(0x4100).Open(0x4110).U16(static_cast<uint16_t>(vertices.size()));
  for (const auto& v : vertices) c.Fs({v[0], v[1], v[2]});
  c.Close().Open(0x4120).U16(static_cast<uint16_t>(faces.size()));
  for (const auto& f : faces) c.U16(f[0]).U16(f[1]).U16(f[2]).U16(7);
  for (const auto& group : groups) c.Open(0x4130).Str(group).U16(1).U16(0).Close();
  c.Close().Open(0x4160).Fs({1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0}).Close();
  return c.Close().Close();
}

Scene Read(const Chunks& c) {
  Scene scene;
  Read3dsScene(c.bytes().data(), c.bytes().size(), &scene, nullptr);
  return scene;
}

TEST(SceneReader, GeometryLandsInTheShowsAxes) {
  Chunks c;
  c.Begin();
  Mesh(c, "Box with spaces", {{1, 2, 3}, {4, 2, 3}, {1, 2, 9}, {7, 7, 7}}, {{0, 1, 2}});
  // Mapping coordinates come after the mesh's vertex list, inside its mesh chunk.
  c.End();
  Scene scene = Read(c);
  ASSERT_EQ(scene.objectCount, 1u);
  const SceneObject& object = scene.objects[0];
  EXPECT_STREQ(object.name, "Box with spaces");
  EXPECT_EQ(object.alpha, 1.0f);
  EXPECT_EQ(object.materialIndex, 0u);
  ASSERT_EQ(object.vertexCount, 4u);
  EXPECT_EQ(object.vertices[0].x, 1.0f);
  EXPECT_EQ(object.vertices[0].y, 3.0f);  // y and z exchanged
  EXPECT_EQ(object.vertices[0].z, 2.0f);
  ASSERT_EQ(object.faceCount, 1u);
  EXPECT_EQ(object.faces[0].index[0], 2u);  // reversed
  EXPECT_EQ(object.faces[0].index[1], 1u);
  EXPECT_EQ(object.faces[0].index[2], 0u);
  EXPECT_EQ(object.vertices[0].u, 0.0f);  // no mapping chunk: zero
  EXPECT_EQ(object.matrix.m[0], 1.0f);     // the local matrix chunk gives the identity
  EXPECT_EQ(object.matrix.m[3], 0.0f);
  // The unused vertex keeps a zero normal; the others share the face's unit normal.
  EXPECT_EQ(object.vertices[3].nx, 0.0f);
  EXPECT_EQ(object.vertices[3].ny, 0.0f);
  EXPECT_EQ(object.vertices[3].nz, 0.0f);
  const float length = std::sqrt(object.vertices[0].nx * object.vertices[0].nx +
                                 object.vertices[0].ny * object.vertices[0].ny +
                                 object.vertices[0].nz * object.vertices[0].nz);
  EXPECT_NEAR(length, 1.0f, 1e-6f);
  EXPECT_EQ(scene.materialCount, 1u);
  EXPECT_STREQ(scene.materials[0].name, "Default");
  EXPECT_EQ(scene.materials[0].diffuse.r, 1.0f);
  EXPECT_NE(scene.materials[0].texture, nullptr);
  FreeScene(&scene);
}

TEST(SceneReader, MappingAndSharedVertexNormals) {
  Chunks c;
  c.Begin();
  // Two faces sharing vertex 0: one facing +z, one facing +x (in the show's axes).
  c.Open(0x4000).Str("pair").Open(0x4100).Open(0x4110).U16(5);
  // Show-axis points (x, y, z) are written as file (x, z, y).
  const float points[5][3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0, 1, 0}};
  for (const auto& p : points) c.Fs({p[0], p[2], p[1]});
  c.Close();
  c.Open(0x4120).U16(2);
  // Held reversed: file (c, b, a) becomes (a, b, c) below.
  c.U16(2).U16(1).U16(0).U16(0);  // held (0, 1, 2): (1,0,0) x (0,1,0) = +z
  c.U16(3).U16(4).U16(0).U16(0);  // held (0, 4, 3): (0,1,0) x (0,0,1) = +x
  c.Close();
  c.Open(0x4140).U16(5).Fs({0.25f, 0.75f, 0, 0, 0, 0, 0, 0, 0, 0}).Close();
  c.Close().Close().End();
  Scene scene = Read(c);
  ASSERT_EQ(scene.objectCount, 1u);
  const SceneVertex& shared = scene.objects[0].vertices[0];
  EXPECT_FLOAT_EQ(shared.nx, 0.5f);
  EXPECT_FLOAT_EQ(shared.ny, 0.0f);
  EXPECT_FLOAT_EQ(shared.nz, 0.5f);
  EXPECT_EQ(shared.u, 0.25f);
  EXPECT_EQ(shared.v, -0.75f);
  EXPECT_EQ(scene.objects[0].matrix.m[0], 0.0f);  // no local matrix chunk: all zero
  FreeScene(&scene);
}

TEST(SceneReader, MaterialsAndFaceGroups) {
  Chunks c;
  c.Begin();
  c.Material("Red", {255, 0, 0});
  // A material whose colours come as floats (out of range values held to 0..1).
  c.Open(0xAFFF).Open(0xA000).Str("Blue").Close();
  c.Open(0xA020).Open(0x0010).Fs({0.0f, 0.5f, 2.0f}).Close().Close();
  c.Open(0xA200).Open(0x0030).U16(100).Close().Open(0xA300).Str("missing.bmp").Close().Close();
  c.Close();
  Mesh(c, "two groups", {{0, 0, 0}, {1, 0, 0}, {0, 0, 1}}, {{0, 1, 2}}, {"Red", "Blue"});
  Mesh(c, "unknown group", {{0, 0, 0}, {1, 0, 0}, {0, 0, 1}}, {{0, 1, 2}}, {"Nobody", "Later"});
  c.Material("Later", {0, 255, 0});
  c.End();
  Scene scene = Read(c);
  ASSERT_EQ(scene.materialCount, 4u);
  EXPECT_STREQ(scene.materials[1].name, "Red");
  EXPECT_EQ(scene.materials[1].diffuse.r, 1.0f);
  EXPECT_EQ(scene.materials[1].diffuse.g, 0.0f);
  EXPECT_STREQ(scene.materials[2].textureFile, "missing.bmp");
  EXPECT_EQ(scene.materials[2].texture->handle, 0u);  // no device, no texture: loading goes on
  EXPECT_EQ(scene.materials[2].diffuse.b, 1.0f);
  EXPECT_EQ(scene.materials[2].diffuse.g, 0.5f);
  EXPECT_EQ(scene.objects[0].materialIndex, 2u);  // the later group wins
  EXPECT_EQ(scene.objects[1].materialIndex, 0u);  // unknown, or defined only later
  FreeScene(&scene);
}

TEST(SceneReader, LightsAndCameras) {
  Chunks c;
  c.Begin();
  c.Open(0x4000).Str("lamp").Open(0x4600).Fs({1, 2, 3});
  c.Open(0x0011).Bytes({255, 128, 0}).Close();
  c.Close().Close();
  c.Open(0x4000).Str("spot").Open(0x4600).Fs({0, 0, 0});
  c.Open(0x0010).Fs({0.5f, 0.25f, 1}).Close();
  c.Open(0x4610).Fs({0, 10, 0}).Fs({40, 60}).Close();
  c.Open(0x465A).F(150).Close();
  c.Open(0x465B).F(1.5f).Close();
  c.Close().Close();
  c.Open(0x4000).Str("first").Open(0x4700).Fs({1, 2, 3, 4, 5, 6, 0.5f, 35}).Close().Close();
  c.Open(0x4000).Str("second").Open(0x4700).Fs({10, 20, 30, 0, 0, 0, 0.25f, 48}).Close().Close();
  c.End();
  Scene scene = Read(c);
  ASSERT_EQ(scene.lightCount, 2u);
  const SceneLight& lamp = scene.lights[0];
  EXPECT_STREQ(lamp.name, "lamp");
  EXPECT_EQ(lamp.type, 0u);
  EXPECT_EQ(lamp.position.y, 3.0f);
  EXPECT_EQ(lamp.color.r, 1.0f);
  EXPECT_EQ(lamp.color.g, 128 * 0.003921569f);
  EXPECT_EQ(lamp.range, 0.0f);
  EXPECT_EQ(lamp.attenuation1, 0.0f);
  const SceneLight& spot = scene.lights[1];
  EXPECT_EQ(spot.type, 1u);
  EXPECT_EQ(spot.direction.x, 0.0f);
  EXPECT_EQ(spot.direction.y, 0.0f);
  EXPECT_EQ(spot.direction.z, 1.0f);  // 10 along the file's y
  EXPECT_EQ(spot.falloff, 1.0f);
  EXPECT_EQ(spot.theta, static_cast<float>(40.0f * 0.008726));
  EXPECT_EQ(spot.phi, static_cast<float>(60.0f * 0.008726));
  EXPECT_EQ(spot.range, 150.0f);
  EXPECT_EQ(spot.attenuation1, 1.5f);
  EXPECT_EQ(spot.color.g, 0.25f);
  // The last camera wins.
  EXPECT_STREQ(scene.cameraName, "second");
  EXPECT_EQ(scene.cameraEye.y, 30.0f);
  EXPECT_EQ(scene.cameraRoll, 0.25f);
  EXPECT_EQ(scene.cameraFov, static_cast<float>(50.0f * 0.017453));
  FreeScene(&scene);
}

// A lens of 0 gives an infinite field of view (the projection then draws nothing), of the
// lens's sign; no division by zero is made for it.
TEST(SceneReader, ALensOfZero) {
  for (float lens : {0.0f, -0.0f}) {
    Chunks c;
    c.Begin();
    c.Open(0x4000).Str("pinhole").Open(0x4700).Fs({1, 2, 3, 4, 5, 6, 0, lens}).Close().Close();
    c.End();
    Scene scene = Read(c);
    EXPECT_TRUE(std::isinf(scene.cameraFov));
    EXPECT_EQ(std::signbit(scene.cameraFov), std::signbit(lens));
    FreeScene(&scene);
  }
}

TEST(SceneReader, UnknownChunksAreSkippedWhole) {
  Chunks c;
  c.Begin();
  // An unknown chunk holding what would be a mesh if it were looked into.
  c.Open(0xB000);
  Mesh(c, "hidden", {{0, 0, 0}, {1, 0, 0}, {0, 0, 1}}, {{0, 1, 2}});
  c.Close();
  Mesh(c, "seen", {{0, 0, 0}, {1, 0, 0}, {0, 0, 1}}, {{0, 1, 2}});
  c.End();
  Scene scene = Read(c);
  ASSERT_EQ(scene.objectCount, 1u);
  EXPECT_STREQ(scene.objects[0].name, "seen");
  FreeScene(&scene);
}

TEST(SceneReader, MalformedFilesLoadWithoutHarm) {
  Chunks good;
  good.Begin();
  Mesh(good, "mesh", {{0, 0, 0}, {1, 0, 0}, {0, 0, 1}}, {{0, 1, 2}, {0, 1, 9}});
  good.End();
  Scene scene = Read(good);
  ASSERT_EQ(scene.objectCount, 1u);
  EXPECT_EQ(scene.objects[0].faceCount, 1u);  // the face naming vertex 9 is dropped
  FreeScene(&scene);

  // Every truncation of a good file loads something or nothing, never out of bounds.
  for (size_t cut = 0; cut < good.bytes().size(); ++cut) {
    std::vector<uint8_t> part(good.bytes().begin(), good.bytes().begin() + static_cast<long>(cut));
    Read3dsScene(part.data(), part.size(), &scene, nullptr);
    EXPECT_GE(scene.materialCount, 1u);
    FreeScene(&scene);
  }

  // A chunk too short to advance, a count past its chunk, colours and mapping with nothing
  // to belong to, and a name without its end.
  Chunks bad;
  bad.Begin();
  bad.Open(0x0011).Bytes({1, 2, 3}).Close();
  bad.Open(0x4140).U16(3).Fs({1, 2}).Close();
  bad.Open(0x4000).Str("ok").Open(0x4100).Open(0x4110).U16(1000).Fs({1, 2, 3}).Close().Close().Close();
  bad.Open(0x4160).Close();
  bad.Open(0xA000).Bytes({'a', 'b'}).Close();
  bad.Raw("\x00\x40\x03\x00\x00\x00", 6);  // length 3
  bad.Open(0x4000).Str("never").Close();
  bad.End();
  Read3dsScene(bad.bytes().data(), bad.bytes().size(), &scene, nullptr);
  ASSERT_EQ(scene.objectCount, 1u);
  EXPECT_EQ(scene.objects[0].vertexCount, 0u);  // the oversized vertex list was ignored
  EXPECT_EQ(scene.lightCount, 0u);
  FreeScene(&scene);

  // A long name is cut to 127 characters and the walk goes on after its end.
  Chunks named;
  named.Begin();
  Mesh(named, std::string(300, 'n'), {{0, 0, 0}, {1, 0, 0}, {0, 0, 1}}, {{0, 1, 2}});
  Mesh(named, "after", {{0, 0, 0}, {1, 0, 0}, {0, 0, 1}}, {{0, 1, 2}});
  named.End();
  Read3dsScene(named.bytes().data(), named.bytes().size(), &scene, nullptr);
  ASSERT_EQ(scene.objectCount, 2u);
  EXPECT_EQ(std::strlen(scene.objects[0].name), 127u);
  EXPECT_STREQ(scene.objects[1].name, "after");
  FreeScene(&scene);
}

TEST(SceneReader, OtherWritersLayoutsStillRead) {
  // No version sub-chunks under the main and editor chunks, no percentage before the map's
  // file name, colours as floats: what several exporters write.
  Chunks c;
  c.Open(0x4D4D).Open(0x3D3D);
  c.Open(0xAFFF).Open(0xA000).Str("Linear").Close();
  c.Open(0xA010).Open(0x0013).Fs({-1.0f, 0.25f, 1.0f}).Close().Close();
  c.Open(0xA020).Open(0x0012).Bytes({0, 51, 255}).Close().Close();
  c.Open(0xA030).Open(0x0030).U16(50).Close().Close();  // not a colour: left as it was
  c.Open(0xA200).Open(0xA300).Str("Map.bmp").Close().Close();
  c.Close();
  Mesh(c, "after", {{0, 0, 0}, {1, 0, 0}, {0, 0, 1}}, {{0, 1, 2}}, {"Linear"});
  c.Close().Close();
  Scene scene = Read(c);
  ASSERT_EQ(scene.materialCount, 2u);
  const SceneMaterial& m = scene.materials[1];
  EXPECT_STREQ(m.name, "Linear");
  EXPECT_EQ(m.ambient.r, 0.0f);  // held to 0..1
  EXPECT_EQ(m.ambient.g, 0.25f);
  EXPECT_EQ(m.ambient.b, 1.0f);
  EXPECT_EQ(m.diffuse.g, 51 * 0.003921569f);
  EXPECT_EQ(m.diffuse.b, 1.0f);
  EXPECT_EQ(m.specular.r, 0.0f);
  EXPECT_STREQ(m.textureFile, "Map.bmp");
  ASSERT_EQ(scene.objectCount, 1u);
  EXPECT_EQ(scene.objects[0].materialIndex, 1u);
  FreeScene(&scene);

  // With the version sub-chunks, the same walk reads the same scene.
  Chunks v;
  v.Begin();
  v.Material("Linear", {10, 20, 30});
  Mesh(v, "after", {{0, 0, 0}, {1, 0, 0}, {0, 0, 1}}, {{0, 1, 2}}, {"Linear"});
  v.End();
  scene = Read(v);
  ASSERT_EQ(scene.objectCount, 1u);
  EXPECT_EQ(scene.objects[0].materialIndex, 1u);
  EXPECT_EQ(scene.materials[1].diffuse.b, 30 * 0.003921569f);
  FreeScene(&scene);
}

TEST(SceneReader, DegenerateFacesAndChunksBeforeTheirRecords) {
  Chunks c;
  c.Begin();
  // Before any material entry, material chunks belong to the built-in material.
  c.Open(0xA020).Open(0x0011).Bytes({0, 0, 0}).Close().Close();
  // Before any light, colours and light values have nothing to go to.
  c.Open(0x0010).Fs({1, 1, 1}).Close();
  c.Open(0x465A).F(5).Close();
  c.Open(0x4610).Fs({0, 0, 0, 10, 10}).Close();
  // A face of zero area (all three points on a line) beside a proper one.
  c.Open(0x4000).Str("line").Open(0x4100).Open(0x4110).U16(4);
  c.Fs({0, 0, 0}).Fs({1, 0, 0}).Fs({2, 0, 0}).Fs({0, 1, 0});
  c.Close().Open(0x4120).U16(2);
  c.U16(0).U16(1).U16(2).U16(0);
  c.U16(0).U16(3).U16(1).U16(0);
  c.Close().Close().Close();
  c.End();
  Scene scene = Read(c);
  EXPECT_EQ(scene.materials[0].diffuse.r, 0.0f);
  EXPECT_EQ(scene.lightCount, 0u);
  ASSERT_EQ(scene.objectCount, 1u);
  const SceneObject& o = scene.objects[0];
  EXPECT_EQ(o.faceCount, 2u);
  // Vertex 2 is used only by the flat face: no normal. Vertex 0 gets the proper face's
  // unit normal whole, not halved by the flat one.
  EXPECT_EQ(o.vertices[2].nx, 0.0f);
  EXPECT_EQ(o.vertices[2].ny, 0.0f);
  EXPECT_EQ(o.vertices[2].nz, 0.0f);
  const SceneVertex& v0 = o.vertices[0];
  EXPECT_FLOAT_EQ(std::sqrt(v0.nx * v0.nx + v0.ny * v0.ny + v0.nz * v0.nz), 1.0f);
  EXPECT_FALSE(std::isnan(v0.nx));
  FreeScene(&scene);
}

TEST(SceneReader, MissingFileLeavesTheSceneUntouched) {
  Scene scene{};
  scene.objectCount = 7;  // whatever was there stays
  EXPECT_EQ(Load3dsScene("Scenes\\NoSuchScene.3ds", &scene, nullptr), 1);
  EXPECT_EQ(scene.objectCount, 7u);
  EXPECT_EQ(scene.materials, nullptr);
}

}  // namespace
