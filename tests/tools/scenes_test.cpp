#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>

#include "content/content.h"
#include "content/scene_geometry.h"
#include "content/scene_set.h"
#include "support/scratch.h"

namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

fs::path WritePack(const std::string& name) {
  const fs::path dir = fs::path(ScratchDir()) / name;
  fs::remove_all(dir);
  fs::create_directories(dir / "Scenes");
  fs::create_directories(dir / "Textures");
  std::string error;
  EXPECT_TRUE(WriteSceneFiles(dir.string(), &error)) << error;
  return dir;
}

bool OnPath(const std::string& tool) {
  return std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) == 0;
}

// The show's view of the world: file (x, y, z) held as (x, z, y), y up.
struct V {
  double x, y, z;
};
V Held(TdsVec3 p) { return {p.x, p.z, p.y}; }
V Sub(V a, V b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
double Dot(V a, V b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
V Cross(V a, V b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
V Unit(V a) {
  const double l = std::sqrt(Dot(a, a));
  return {a.x / l, a.y / l, a.z / l};
}

struct View {
  V eye, right, up, forward;
  double cot;
  // Screen position (pixels, y down) and depth along the view axis.
  V Project(V p) const {
    const V q = Sub(p, eye);
    const double d = Dot(q, forward);
    return {160 + 160 * cot * Dot(q, right) / d, 120 - 160 * cot * Dot(q, up) / d, d};
  }
};

View MakeView(V eye, V target, double roll, double lens) {
  View v;
  v.eye = eye;
  v.forward = Unit(Sub(target, eye));
  v.right = Unit(Cross({std::sin(roll), std::cos(roll), 0}, v.forward));
  v.up = Cross(v.forward, v.right);
  const double half = 2400.0 / lens * 0.017453 * 0.5;
  v.cot = std::cos(half) / std::sin(half);
  return v;
}

// Rotation-and-translation as the show's animations write it: p' = M p + t.
struct M3 {
  double m[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  V t{0, 0, 0};
  V Apply(V p) const {
    return {m[0][0] * p.x + m[0][1] * p.y + m[0][2] * p.z + t.x, m[1][0] * p.x + m[1][1] * p.y + m[1][2] * p.z + t.y,
            m[2][0] * p.x + m[2][1] * p.y + m[2][2] * p.z + t.z};
  }
};
M3 RotY(double a) {
  M3 r;
  r.m[0][0] = std::cos(a), r.m[0][2] = std::sin(a), r.m[2][0] = -std::sin(a), r.m[2][2] = std::cos(a);
  return r;
}
M3 RotZ(double a) {
  M3 r;
  r.m[0][0] = std::cos(a), r.m[0][1] = std::sin(a), r.m[1][0] = -std::sin(a), r.m[1][1] = std::cos(a);
  return r;
}
M3 Mul(const M3& a, const M3& b) {
  M3 r;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j];
  return r;
}

// Each scene's pose at SceneTime t, after the show's animation for it.
struct Pose {
  View view;
  std::vector<M3> objects;
  double scale = 1;  // the third scene's pulse pushes vertices out up to 1.5 times
};

Pose Animate(int n, const TdsScene& s, double t) {
  const TdsCamera& c = s.cameras.back();
  V eye = Held(c.position), target = Held(c.target);
  double roll = c.roll;
  Pose p;
  p.objects.resize(s.meshes.size());
  for (size_t j = 0; j < s.meshes.size(); ++j) {
    M3& m = p.objects[j];
    switch (n) {
      case 1:
        if (j == 0) {
          const double b = std::cos(2 * M_PI * t / 12), cc = t / 12;
          m.m[0][0] = std::cos(cc + b / 2), m.m[0][1] = std::sin(cc + b / 2);
          m.m[1][0] = -std::sin(cc + b / 2), m.m[1][1] = std::cos(cc - b / 2);
          m.t = {10 * std::cos(t / 13), 10 * std::sin(t / 14), 0};
        }
        break;
      case 2: m = RotY(0.1 * t); break;
      case 3:
        if (j == 0) m = Mul(RotY(0.2 * t), RotZ(t / 6));
        break;
      case 4: {
        const double i = j + 1.0;
        m = Mul(RotY(i * t / 120), RotZ(0.012 * i * t));
        m.t = {10 * std::sin(0.05 * t), 10 * std::cos(0.05 * t), 10 * std::sin(0.05 * t)};
        break;
      }
      case 5:
        if (j == 0) m = Mul(RotY(t / 8), RotZ(t / 7));
        break;
      case 6: m = j == 0 ? RotY(-0.1 * t) : RotY(t / 8); break;
      case 7: {
        const double A = std::sin(t / 4) + t / 6, B = std::cos(t / 6.7) + t / 5, w = (std::cos(t / 8) + 1) * 0.5;
        const double C = (1 - w) * (std::cos(t / 6.5) + t / 6.1) + w * A;
        const double D = (1 - w) * (std::sin(t / 4.5) + t / 5.3) + w * B;
        m = j == 0 ? Mul(RotY(B), RotZ(A)) : Mul(RotY(D), RotZ(C));
        break;
      }
      default: break;
    }
  }
  if (n == 3) {
    eye = {50 * std::sin(0.1 * t), 50 * std::sin(t / 12.3), 50 * std::cos(0.1 * t)};
    p.scale = 1.5;
  }
  if (n == 5) target.x = (t - 76) * 0.25;
  if (n == 6) roll = 0.05 * t;
  p.view = MakeView(eye, target, roll, c.lens);
  return p;
}

double WindowLength(int n) { return (n == 2 || n == 5) ? 192 : 96; }

}  // namespace

TEST(ScenePack, WritesEveryFileTheScenesNameAndOthersCanLoadThem) {
  const fs::path dir = WritePack("scenes_test_pack");
  std::set<std::string> named;
  bool eightBit = false;
  for (int n = 1; n <= kSceneCount; ++n) {
    const fs::path file = dir / "Scenes" / ("Scene" + std::to_string(n) + ".3ds");
    ASSERT_TRUE(fs::exists(file)) << file;
    std::string error;
    EXPECT_EQ(ReadAll(file), EncodeTds(BuildScene(n), &error)) << file;
    for (const TdsMaterial& m : BuildScene(n).materials) {
      ASSERT_FALSE(m.textureFile.empty()) << m.name;
      named.insert(m.textureFile);
      const std::vector<uint8_t> bmp = ReadAll(dir / "Textures" / m.textureFile);
      ASSERT_GT(bmp.size(), 54u) << m.textureFile << " is missing";
      EXPECT_EQ(bmp[0], 'B');
      const int width = bmp[18] | bmp[19] << 8, height = bmp[22] | bmp[23] << 8, bits = bmp[28];
      EXPECT_TRUE(width >= 64 && width <= 256 && (width & (width - 1)) == 0) << m.textureFile;
      EXPECT_EQ(width, height) << m.textureFile;
      EXPECT_TRUE(bits == 8 || bits == 24) << m.textureFile;
      eightBit = eightBit || bits == 8;
    }
  }
  EXPECT_TRUE(eightBit) << "no scene texture takes the palette path";
  for (const SceneTexture& t : SceneTextures()) EXPECT_TRUE(named.count(t.name)) << t.name << " is never used";

  if (OnPath("assimp")) {
    for (int n = 1; n <= kSceneCount; ++n) {
      const fs::path file = dir / "Scenes" / ("Scene" + std::to_string(n) + ".3ds");
      EXPECT_EQ(std::system(("assimp info '" + file.string() + "' >/dev/null 2>&1").c_str()), 0) << file;
    }
  }
  if (std::system("/usr/bin/python3 -c 'import PIL' >/dev/null 2>&1") == 0) {
    // An independent decoder agrees on the size and kind of every texture.
    for (const SceneTexture& t : SceneTextures()) {
      const int size = t.indexed ? t.pal.indices.width : t.rgb.width;
      const std::string want = std::to_string(size) + " " + (t.indexed ? "P" : "RGB");
      const std::string cmd = "/usr/bin/python3 -c \"import sys; from PIL import Image; im = Image.open(sys.argv[1]); "
                              "sys.exit(0 if '%d %s' % (im.size[0], im.mode) == sys.argv[2] and im.size[0] == im.size[1] "
                              "else 1)\" '" + (dir / "Textures" / t.name).string() + "' '" + want + "'";
      EXPECT_EQ(std::system(cmd.c_str()), 0) << t.name;
    }
  }
  fs::remove_all(dir);
}

TEST(ScenePack, SameBytesOnEveryRun) {
  const fs::path a = WritePack("scenes_test_a"), b = WritePack("scenes_test_b");
  int files = 0;
  for (const auto& entry : fs::recursive_directory_iterator(a)) {
    if (!entry.is_regular_file()) continue;
    ++files;
    EXPECT_EQ(ReadAll(entry.path()), ReadAll(b / fs::relative(entry.path(), a))) << entry.path();
  }
  EXPECT_GE(files, kSceneCount + 5);
  fs::remove_all(a);
  fs::remove_all(b);
}

TEST(ScenePack, LightsCamerasAndMaterialsSuitTheShow) {
  bool spot = false;
  for (int n = 1; n <= kSceneCount; ++n) {
    const TdsScene s = BuildScene(n);
    SCOPED_TRACE("Scene" + std::to_string(n));
    ASSERT_EQ(s.cameras.size(), 1u);
    EXPECT_EQ(s.cameras[0].roll, 0);
    ASSERT_FALSE(s.meshes.empty());
    ASSERT_FALSE(s.lights.empty());
    for (const TdsLight& l : s.lights) {
      spot = spot || l.spot;
      // Without a range and a multiplier a point light gives nothing in the show.
      if (!l.spot) {
        EXPECT_TRUE(l.outerRange > 0 && l.multiplier > 0) << l.name;
      } else {
        EXPECT_LT(l.hotspot, l.falloff) << l.name;
      }
    }
    std::set<std::string> materials;
    for (const TdsMaterial& m : s.materials) {
      materials.insert(m.name);
      EXPECT_LE(std::max({m.specular.r, m.specular.g, m.specular.b}), 0x40) << m.name << " glows too much";
      EXPECT_GE(std::max({m.diffuse.r, m.diffuse.g, m.diffuse.b}), 0xC0) << m.name << " is too dark";
    }
    for (const TdsMesh& mesh : s.meshes) {
      EXPECT_TRUE(materials.count(mesh.material)) << mesh.name;
      EXPECT_EQ(mesh.uvs.size(), mesh.vertices.size()) << mesh.name;
      std::vector<int> used(mesh.vertices.size());
      for (const auto& f : mesh.faces)
        for (uint16_t i : f) used[i] = 1;
      EXPECT_EQ(std::count(used.begin(), used.end(), 0), 0) << mesh.name << " has loose vertices";
    }
  }
  EXPECT_TRUE(spot);
  // Several objects where the animation moves several.
  for (int n : {2, 4, 6, 7}) EXPECT_GE(BuildScene(n).meshes.size(), 3u) << n;
  // The fifth scene's first light turns ambient: it must exist, be followed by real lights,
  // and be dim enough as an ambient colour.
  const TdsScene five = BuildScene(5);
  ASSERT_GE(five.lights.size(), 2u);
  EXPECT_LT(five.lights[0].color[0] + five.lights[0].color[1] + five.lights[0].color[2], 1.2f);
  // The pulsing knot: many shared vertices around the origin.
  const TdsMesh knot = BuildScene(3).meshes[0];
  EXPECT_GE(knot.vertices.size(), 2000u);
  V centre{0, 0, 0};
  for (const TdsVec3& v : knot.vertices) centre = {centre.x + v.x, centre.y + v.y, centre.z + v.z};
  EXPECT_LT(std::sqrt(Dot(centre, centre)) / knot.vertices.size(), 0.5);
}

TEST(ScenePack, ObjectsStayInFrontOfTheCameraThroughTheirAnimation) {
  for (int n = 1; n <= kSceneCount; ++n) {
    const TdsScene s = BuildScene(n);
    SCOPED_TRACE("Scene" + std::to_string(n));
    const double end = n == 8 ? 0 : WindowLength(n);
    double nearest = 1e9, farthest = 0;
    int offScreenCentres = 0, poses = 0;
    for (double t = 0; t <= end; t += 1.5) {
      const Pose pose = Animate(n, s, t);
      ++poses;
      for (size_t j = 0; j < s.meshes.size(); ++j) {
        V sum{0, 0, 0};
        for (const TdsVec3& v : s.meshes[j].vertices) {
          for (double k : {1.0, pose.scale}) {
            const V h = Held(v);
            const V p = pose.view.Project(pose.objects[j].Apply({h.x * k, h.y * k, h.z * k}));
            nearest = std::min(nearest, p.z);
            farthest = std::max(farthest, p.z);
          }
          sum = {sum.x + v.x, sum.y + v.y, sum.z + v.z};
        }
        const double cnt = static_cast<double>(s.meshes[j].vertices.size());
        const V c = pose.view.Project(pose.objects[j].Apply(Held({float(sum.x / cnt), float(sum.y / cnt), float(sum.z / cnt)})));
        if (j == 0 && (c.x < 0 || c.x > 320 || c.y < 0 || c.y > 240)) ++offScreenCentres;
      }
    }
    EXPECT_GT(nearest, 12.0);
    EXPECT_LT(farthest, 480.0);
    EXPECT_EQ(offScreenCentres, 0) << "object 0 leaves the picture in some of " << poses << " poses";
  }
}

TEST(SceneGeometry, FacesPointOutAndShowClockwiseToTheCamera) {
  const TdsMesh solids[] = {MakeTorus(10, 2, 24, 8, 2, 1), MakeBand(10, 1, 2, 24, 2), MakeTorusKnot(2, 3, 8, 3, 2, 96, 8),
                            MakeSphere(5, 12, 8, 1, 1),     MakeBox({1, 2, 3}),        MakeStarPrism(5, 10, 4, 2, 1),
                            MakeOctahedron(3),              MakeIcosahedron(3),        MakeCylinder(2, -1, 4, 10, 1)};
  for (const TdsMesh& m : solids) {
    EXPECT_GT(SignedVolume(m), 0);
    TdsMesh mirrored;
    AppendMesh(&mirrored, m, Xf::Scale(-1, 1, 1));
    EXPECT_GT(SignedVolume(mirrored), 0) << "a mirrored copy must still face out";
  }
  for (int n = 1; n <= kSceneCount; ++n) {
    for (const TdsMesh& mesh : BuildScene(n).meshes) {
      if (mesh.name != "Floor") {
        EXPECT_GT(SignedVolume(mesh), 0) << "Scene" << n << " " << mesh.name;
      }
    }
  }
  // After the show's axis swap and face reversal, a face whose normal (B - A) x (C - A)
  // points at the camera is clockwise on screen (kept), one pointing away counter-clockwise.
  const TdsMesh box = MakeBox({5, 5, 5});
  const View view = MakeView(Held({8, -40, 12}), {0, 0, 0}, 0, 35);
  int front = 0, back = 0;
  for (const auto& f : box.faces) {
    const V a = Held(box.vertices[f[2]]), b = Held(box.vertices[f[1]]), c = Held(box.vertices[f[0]]);
    const V normal = Cross(Sub(b, a), Sub(c, a));
    const bool facing = Dot(normal, Sub(view.eye, a)) > 0;
    EXPECT_GT(Dot(normal, a), 0) << "held normals point out of the box";
    const V pa = view.Project(a), pb = view.Project(b), pc = view.Project(c);
    const double area = (pb.x - pa.x) * (pc.y - pa.y) - (pb.y - pa.y) * (pc.x - pa.x);  // > 0: clockwise, y down
    EXPECT_EQ(area > 0, facing);
    (facing ? front : back)++;
  }
  EXPECT_EQ(front, static_cast<int>(box.faces.size()) / 2);  // three of the six sides
  EXPECT_EQ(back, front);
}

TEST(SceneGeometry, EveryFaceMapsAPieceOfItsTextureTheShortWayRound) {
  // The renderer interpolates u and v the short way across whole numbers, so a face mapped
  // from 0 to 0.999 shows a sliver of its texture: its mapped area collapses.
  auto shortWay = [](float from, float to) {
    float d = to - from;
    d -= std::nearbyint(d);
    return d;
  };
  for (int n = 1; n <= kSceneCount; ++n) {
    for (const TdsMesh& mesh : BuildScene(n).meshes) {
      int collapsed = 0;
      for (const auto& f : mesh.faces) {
        const V a = Held(mesh.vertices[f[0]]), b = Held(mesh.vertices[f[1]]), c = Held(mesh.vertices[f[2]]);
        const V cr = Cross(Sub(b, a), Sub(c, a));
        const double area = 0.5 * std::sqrt(Dot(cr, cr));
        const auto& ta = mesh.uvs[f[0]];
        const double u1 = shortWay(ta[0], mesh.uvs[f[1]][0]), v1 = shortWay(ta[1], mesh.uvs[f[1]][1]);
        const double u2 = shortWay(ta[0], mesh.uvs[f[2]][0]), v2 = shortWay(ta[1], mesh.uvs[f[2]][1]);
        const double uvArea = 0.5 * std::fabs(u1 * v2 - u2 * v1);
        if (area > 1e-6 && uvArea / area < 1e-5) ++collapsed;
      }
      EXPECT_EQ(collapsed, 0) << "Scene" << n << " " << mesh.name;
    }
  }
}

