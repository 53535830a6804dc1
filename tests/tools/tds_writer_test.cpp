#include "content/tds_writer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>

namespace {

uint16_t U16(const std::vector<uint8_t>& b, size_t at) { return static_cast<uint16_t>(b[at] | b[at + 1] << 8); }
uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}
float F32(const std::vector<uint8_t>& b, size_t at) {
  const uint32_t v = U32(b, at);
  float f;
  std::memcpy(&f, &v, 4);
  return f;
}
std::string Str(const std::vector<uint8_t>& b, size_t at) {
  std::string s;
  while (at < b.size() && b[at]) s.push_back(static_cast<char>(b[at++]));
  return s;
}

// Checks that every chunk's children fill it exactly, recursing into the container chunks,
// and records the offset of each chunk id met (in order).
struct Tree {
  std::multimap<uint16_t, size_t> at;
  std::vector<uint16_t> order;
};

// Bytes of data before a chunk's children, for the chunks that have children.
int DataBefore(uint16_t id, const std::vector<uint8_t>& b, size_t start) {
  switch (id) {
    case 0x4D4D: case 0x3D3D: case 0xAFFF: case 0x4100: case 0xA010: case 0xA020: case 0xA030: case 0xA200:
      return 0;
    case 0x4000: return static_cast<int>(Str(b, start + 6).size() + 1);
    case 0x4120: return 2 + 8 * U16(b, start + 6);
    case 0x4600: return 12;
    default: return -1;  // a leaf
  }
}

bool Walk(const std::vector<uint8_t>& b, size_t start, size_t end, Tree* tree) {
  size_t pos = start;
  while (pos < end) {
    if (pos + 6 > end) return false;
    const uint16_t id = U16(b, pos);
    const uint32_t len = U32(b, pos + 2);
    if (len < 6 || pos + len > end) return false;
    tree->at.insert({id, pos});
    tree->order.push_back(id);
    const int data = DataBefore(id, b, pos);
    if (data >= 0 && !Walk(b, pos + 6 + data, pos + len, tree)) return false;
    pos += len;
  }
  return pos == end;
}

// What the show's reader takes from a file, walking it flat by its rules.
struct Read {
  std::vector<std::string> materials;
  std::vector<std::array<uint8_t, 3>> diffuse;
  std::vector<std::string> textures;
  std::vector<std::string> objects;
  std::vector<std::vector<std::array<float, 3>>> positions;  // held: (x, z, y)
  std::vector<std::vector<std::array<uint16_t, 3>>> faces;   // held: (c, b, a)
  std::vector<std::vector<std::array<float, 2>>> uvs;        // held: (u, -v)
  std::vector<std::string> objectMaterial;
  struct Light {
    std::string name;
    float pos[3], color[3], range = 0, mult = 0, target[3] = {}, hot = 0, fall = 0;
    bool spot = false;
  };
  std::vector<Light> lights;
  std::string camera;
  float eye[3] = {}, target[3] = {}, roll = 0, lens = 0;
};

Read ReadLikeTheShow(const std::vector<uint8_t>& b) {
  Read r;
  std::string name;
  size_t pos = 0;
  while (pos < b.size()) {
    const uint16_t id = U16(b, pos);
    const uint32_t len = U32(b, pos + 2);
    size_t next = pos + len;
    switch (id) {
      case 0x4D4D: case 0x3D3D: next = pos + 16; break;
      case 0x4000: name = Str(b, pos + 6); next = pos + 6 + name.size() + 1; break;
      case 0x4100:
        r.objects.push_back(name);
        r.positions.emplace_back();
        r.faces.emplace_back();
        r.uvs.emplace_back();
        r.objectMaterial.emplace_back();
        next = pos + 6;
        break;
      case 0x4110: {
        const uint16_t n = U16(b, pos + 6);
        for (int i = 0; i < n; ++i)
          r.positions.back().push_back({F32(b, pos + 8 + 12 * i), F32(b, pos + 16 + 12 * i), F32(b, pos + 12 + 12 * i)});
        next = pos + 8 + 12 * n;
        break;
      }
      case 0x4120: {
        const uint16_t n = U16(b, pos + 6);
        for (int i = 0; i < n; ++i)
          r.faces.back().push_back({U16(b, pos + 12 + 8 * i), U16(b, pos + 10 + 8 * i), U16(b, pos + 8 + 8 * i)});
        next = pos + 8 + 8 * n;
        break;
      }
      case 0x4130: r.objectMaterial.back() = Str(b, pos + 6); break;
      case 0x4140: {
        const size_t n = r.positions.back().size();
        for (size_t i = 0; i < n; ++i) r.uvs.back().push_back({F32(b, pos + 8 + 8 * i), -F32(b, pos + 12 + 8 * i)});
        next = pos + 8 + 8 * n;
        break;
      }
      case 0x4600: {
        Read::Light l;
        l.name = name;
        l.pos[0] = F32(b, pos + 6), l.pos[1] = F32(b, pos + 14), l.pos[2] = F32(b, pos + 10);
        r.lights.push_back(l);
        next = pos + 18;
        break;
      }
      case 0x0010:
        for (int i = 0; i < 3; ++i) r.lights.back().color[i] = F32(b, pos + 6 + 4 * i);
        next = pos + 18;
        break;
      case 0x4610: {
        Read::Light& l = r.lights.back();
        l.spot = true;
        l.target[0] = F32(b, pos + 6), l.target[1] = F32(b, pos + 14), l.target[2] = F32(b, pos + 10);
        l.hot = F32(b, pos + 18);
        l.fall = F32(b, pos + 22);
        next = pos + 26;
        break;
      }
      case 0x465A: r.lights.back().range = F32(b, pos + 6); next = pos + 10; break;
      case 0x465B: r.lights.back().mult = F32(b, pos + 6); next = pos + 10; break;
      case 0x4700:
        r.camera = name;
        r.eye[0] = F32(b, pos + 6), r.eye[1] = F32(b, pos + 14), r.eye[2] = F32(b, pos + 10);
        r.target[0] = F32(b, pos + 18), r.target[1] = F32(b, pos + 26), r.target[2] = F32(b, pos + 22);
        r.roll = F32(b, pos + 30);
        r.lens = F32(b, pos + 34);
        next = pos + 38;
        break;
      case 0xAFFF: r.materials.emplace_back(); r.textures.emplace_back(); r.diffuse.push_back({}); next = pos + 6; break;
      case 0xA000: r.materials.back() = Str(b, pos + 6); next = pos + 6 + r.materials.back().size() + 1; break;
      case 0xA020: r.diffuse.back() = {b[pos + 12], b[pos + 13], b[pos + 14]}; break;
      case 0xA200: next = pos + 14; break;
      case 0xA300: r.textures.back() = Str(b, pos + 6); next = pos + 6 + r.textures.back().size() + 1; break;
      default: break;
    }
    pos = next;
  }
  return r;
}

TdsScene TinyScene() {
  TdsScene s;
  TdsMaterial m;
  m.name = "Blue stone";  // spaces stay part of the name
  m.ambient = {1, 2, 3};
  m.diffuse = {40, 50, 60};
  m.specular = {7, 8, 9};
  m.textureFile = "Stone.bmp";
  s.materials.push_back(m);
  TdsMaterial plain;
  plain.name = "Plain";
  s.materials.push_back(plain);
  TdsMesh mesh;
  mesh.name = "Tri";
  mesh.vertices = {{1, 2, 3}, {4, 5, 6}, {7, 8, 10}};
  mesh.uvs = {{0.25f, 0.75f}, {0.5f, 0.5f}, {1, 0}};
  mesh.faces = {{0, 1, 2}};
  mesh.material = "Blue stone";
  s.meshes.push_back(mesh);
  TdsLight point;
  point.name = "Lamp";
  point.position = {10, 20, 30};
  point.color = {0.5f, 0.25f, 1};
  point.outerRange = 200;
  point.multiplier = 1.5f;
  s.lights.push_back(point);
  TdsLight spot;
  spot.name = "Spot";
  spot.position = {0, 0, 50};
  spot.target = {0, 10, 0};
  spot.spot = true;
  spot.hotspot = 30;
  spot.falloff = 45;
  s.lights.push_back(spot);
  TdsCamera cam;
  cam.name = "Cam";
  cam.position = {0, -100, 20};
  cam.target = {1, 2, 3};
  cam.roll = 0.5f;
  cam.lens = 48;
  s.cameras.push_back(cam);
  return s;
}

}  // namespace

TEST(TdsWriter, ChunkLayoutAndExactLengths) {
  std::string error;
  const std::vector<uint8_t> b = EncodeTds(TinyScene(), &error);
  ASSERT_FALSE(b.empty()) << error;
  EXPECT_EQ(U16(b, 0), 0x4D4D);
  EXPECT_EQ(U32(b, 2), b.size());
  // Version first under the main chunk, mesh version first under the editor chunk,
  // both exactly 10 bytes: the show's reader jumps over them blindly.
  EXPECT_EQ(U16(b, 6), 0x0002);
  EXPECT_EQ(U32(b, 8), 10u);
  EXPECT_EQ(U16(b, 16), 0x3D3D);
  EXPECT_EQ(U32(b, 18), b.size() - 16);
  EXPECT_EQ(U16(b, 22), 0x3D3E);
  EXPECT_EQ(U32(b, 24), 10u);

  Tree tree;
  ASSERT_TRUE(Walk(b, 0, b.size(), &tree)) << "a chunk length does not add up";
  // Material colours: the 24-bit colour chunk sits at +6, so its bytes are at +12.
  const uint16_t colourIds[3] = {0xA010, 0xA020, 0xA030};
  const uint8_t expect[3][3] = {{1, 2, 3}, {40, 50, 60}, {7, 8, 9}};
  for (int k = 0; k < 3; ++k) {
    const size_t at = tree.at.find(colourIds[k])->second;
    EXPECT_EQ(U32(b, at + 2), 15u);
    EXPECT_EQ(U16(b, at + 6), 0x0011);
    EXPECT_EQ(U32(b, at + 8), 9u);
    EXPECT_EQ(b[at + 12], expect[k][0]);
    EXPECT_EQ(b[at + 13], expect[k][1]);
    EXPECT_EQ(b[at + 14], expect[k][2]);
  }
  // The texture map starts with its 8-byte percentage chunk; the untextured material has none.
  ASSERT_EQ(tree.at.count(0xA200), 1u);
  const size_t map = tree.at.find(0xA200)->second;
  EXPECT_EQ(U16(b, map + 6), 0x0030);
  EXPECT_EQ(U32(b, map + 8), 8u);
  EXPECT_EQ(U16(b, map + 12), 100u);
  EXPECT_EQ(U16(b, map + 14), 0xA300);
  // Materials come before every named object, and the mesh parts in the usual order.
  std::vector<uint16_t> top;
  for (uint16_t id : tree.order)
    if (id == 0xAFFF || id == 0x4000 || id == 0x4110 || id == 0x4140 || id == 0x4160 || id == 0x4120 || id == 0x4130)
      top.push_back(id);
  EXPECT_EQ(top, (std::vector<uint16_t>{0xAFFF, 0xAFFF, 0x4000, 0x4000, 0x4000, 0x4000, 0x4110, 0x4140, 0x4160,
                                        0x4120, 0x4130}));
  EXPECT_EQ(U32(b, tree.at.find(0x4160)->second + 2), 54u);
  EXPECT_EQ(U32(b, tree.at.find(0x4700)->second + 2), 38u);
  EXPECT_EQ(U32(b, tree.at.find(0x4610)->second + 2), 26u);
}

TEST(TdsWriter, RoundTripThroughTheShowsReadingRules) {
  std::string error;
  const Read r = ReadLikeTheShow(EncodeTds(TinyScene(), &error));
  ASSERT_EQ(r.materials, (std::vector<std::string>{"Blue stone", "Plain"}));
  EXPECT_EQ(r.textures, (std::vector<std::string>{"Stone.bmp", ""}));
  EXPECT_EQ(r.diffuse[0], (std::array<uint8_t, 3>{40, 50, 60}));
  ASSERT_EQ(r.objects, (std::vector<std::string>{"Tri"}));
  EXPECT_EQ(r.objectMaterial[0], "Blue stone");
  ASSERT_EQ(r.positions[0].size(), 3u);
  EXPECT_EQ(r.positions[0][0], (std::array<float, 3>{1, 3, 2}));
  EXPECT_EQ(r.positions[0][2], (std::array<float, 3>{7, 10, 8}));
  EXPECT_EQ(r.faces[0][0], (std::array<uint16_t, 3>{2, 1, 0}));
  EXPECT_EQ(r.uvs[0][0], (std::array<float, 2>{0.25f, -0.75f}));
  ASSERT_EQ(r.lights.size(), 2u);
  EXPECT_EQ(r.lights[0].name, "Lamp");
  EXPECT_FLOAT_EQ(r.lights[0].pos[1], 30);
  EXPECT_FLOAT_EQ(r.lights[0].color[1], 0.25f);
  EXPECT_FLOAT_EQ(r.lights[0].range, 200);
  EXPECT_FLOAT_EQ(r.lights[0].mult, 1.5f);
  EXPECT_FALSE(r.lights[0].spot);
  EXPECT_EQ(r.lights[1].name, "Spot");
  EXPECT_TRUE(r.lights[1].spot);
  EXPECT_FLOAT_EQ(r.lights[1].target[2], 10);
  EXPECT_FLOAT_EQ(r.lights[1].hot, 30);
  EXPECT_FLOAT_EQ(r.lights[1].fall, 45);
  EXPECT_EQ(r.lights[1].range, 0) << "no outer-range chunk was asked for";
  EXPECT_EQ(r.camera, "Cam");
  EXPECT_FLOAT_EQ(r.eye[1], 20);
  EXPECT_FLOAT_EQ(r.eye[2], -100);
  EXPECT_FLOAT_EQ(r.target[1], 3);
  EXPECT_FLOAT_EQ(r.roll, 0.5f);
  EXPECT_FLOAT_EQ(r.lens, 48);
}

TEST(TdsWriter, RefusesWhatTheFormatCannotHold) {
  std::string error;
  TdsScene s = TinyScene();
  s.meshes[0].faces.push_back({0, 1, 3});
  EXPECT_TRUE(EncodeTds(s, &error).empty());
  EXPECT_NE(error.find("past its vertices"), std::string::npos);

  s = TinyScene();
  s.meshes[0].uvs.pop_back();
  EXPECT_TRUE(EncodeTds(s, &error).empty());

  s = TinyScene();
  s.meshes[0].vertices.resize(65536);
  EXPECT_TRUE(EncodeTds(s, &error).empty());

  s = TinyScene();
  s.materials[0].name = std::string(128, 'x');
  EXPECT_TRUE(EncodeTds(s, &error).empty());
  s.materials[0].name = std::string("a\0b", 3);
  EXPECT_TRUE(EncodeTds(s, &error).empty());

  EXPECT_FALSE(WriteTds("/nonexistent-dir/x.3ds", TinyScene(), &error));
  EXPECT_NE(error.find("cannot create"), std::string::npos);

  // An empty scene is still a well-formed file: just the two headers and their versions.
  const std::vector<uint8_t> empty = EncodeTds(TdsScene(), &error);
  EXPECT_EQ(empty.size(), 16u + 6 + 10 + 10);
}
