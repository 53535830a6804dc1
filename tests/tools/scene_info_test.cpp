#include "scene_info.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "assets/tds_reader.h"
#include "content/content.h"
#include "support/run_command.h"

namespace {

namespace fs = std::filesystem;

// Just enough JSON to read the tool's output back: objects, arrays, strings, numbers, null.
struct Json {
  enum Kind { Null, Number, String, Array, Object } kind = Null;
  double number = 0;
  std::string text;
  std::vector<Json> items;
  std::map<std::string, Json> fields;

  const Json& operator[](const std::string& key) const {
    static const Json missing;
    auto it = fields.find(key);
    return it == fields.end() ? missing : it->second;
  }
  const Json& operator[](size_t i) const { return items.at(i); }
  size_t size() const { return kind == Array ? items.size() : fields.size(); }
  float f() const { return static_cast<float>(number); }
};

class JsonParser {
 public:
  explicit JsonParser(const std::string& s) : s_(s) {}
  bool Parse(Json* out) {
    if (!Value(out)) return false;
    Space();
    return pos_ == s_.size();
  }

 private:
  void Space() {
    while (pos_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[pos_]))) ++pos_;
  }
  bool Eat(char c) {
    Space();
    if (pos_ < s_.size() && s_[pos_] == c) return ++pos_, true;
    return false;
  }
  bool Str(std::string* out) {
    if (!Eat('"')) return false;
    while (pos_ < s_.size() && s_[pos_] != '"') {
      char c = s_[pos_++];
      if (c == '\\') {
        if (pos_ >= s_.size()) return false;
        const char e = s_[pos_++];
        if (e == 'u') {
          if (pos_ + 4 > s_.size()) return false;
          c = static_cast<char>(std::stoi(s_.substr(pos_, 4), nullptr, 16));
          pos_ += 4;
        } else {
          c = e;
        }
      } else if (static_cast<unsigned char>(c) < 0x20) {
        return false;
      }
      out->push_back(c);
    }
    return Eat('"');
  }
  bool Value(Json* out) {
    Space();
    if (pos_ >= s_.size()) return false;
    const char c = s_[pos_];
    if (c == '{') {
      out->kind = Json::Object;
      ++pos_;
      if (Eat('}')) return true;
      do {
        std::string key;
        if (!Str(&key) || !Eat(':') || !Value(&out->fields[key])) return false;
      } while (Eat(','));
      return Eat('}');
    }
    if (c == '[') {
      out->kind = Json::Array;
      ++pos_;
      if (Eat(']')) return true;
      do {
        out->items.emplace_back();
        if (!Value(&out->items.back())) return false;
      } while (Eat(','));
      return Eat(']');
    }
    if (c == '"') {
      out->kind = Json::String;
      return Str(&out->text);
    }
    if (s_.compare(pos_, 4, "null") == 0) {
      pos_ += 4;
      return true;
    }
    char* end = nullptr;
    out->kind = Json::Number;
    out->number = std::strtod(s_.c_str() + pos_, &end);
    if (end == s_.c_str() + pos_) return false;
    pos_ = static_cast<size_t>(end - s_.c_str());
    return true;
  }

  const std::string& s_;
  size_t pos_ = 0;
};

CommandResult SceneInfo(const std::string& args) { return RunTool("scene-info " + args); }

void ExpectTriple(const Json& j, float a, float b, float c, const std::string& what) {
  ASSERT_EQ(j.size(), 3u) << what;
  EXPECT_EQ(j[0].f(), a) << what;
  EXPECT_EQ(j[1].f(), b) << what;
  EXPECT_EQ(j[2].f(), c) << what;
}

// The JSON against the reader's own load: nine significant digits give back every float exactly.
void ExpectSameScene(const Json& j, const Scene& s, const std::string& file) {
  EXPECT_EQ(j["camera"]["name"].text, s.cameraName) << file;
  ExpectTriple(j["camera"]["eye"], s.cameraEye.x, s.cameraEye.y, s.cameraEye.z, file + " eye");
  ExpectTriple(j["camera"]["target"], s.cameraTarget.x, s.cameraTarget.y, s.cameraTarget.z, file + " target");
  EXPECT_EQ(j["camera"]["fov"].f(), s.cameraFov) << file;
  ASSERT_EQ(j["materials"].size(), s.materialCount) << file;
  for (uint32_t i = 0; i < s.materialCount; ++i) {
    const Json& m = j["materials"][i];
    EXPECT_EQ(m["name"].text, s.materials[i].name);
    EXPECT_EQ(m["textureFile"].text, s.materials[i].textureFile);
    const SceneColor& d = s.materials[i].diffuse;
    ExpectTriple(m["diffuse"], d.r, d.g, d.b, file + " diffuse");
  }
  ASSERT_EQ(j["lights"].size(), s.lightCount) << file;
  for (uint32_t i = 0; i < s.lightCount; ++i) {
    const Json& l = j["lights"][i];
    EXPECT_EQ(l["type"].number, s.lights[i].type);
    ExpectTriple(l["position"], s.lights[i].position.x, s.lights[i].position.y, s.lights[i].position.z, file);
    EXPECT_EQ(l["attenuation"][1].f(), s.lights[i].attenuation1);
    EXPECT_EQ(l["phi"].f(), s.lights[i].phi);
  }
  ASSERT_EQ(j["objects"].size(), s.objectCount) << file;
  for (uint32_t i = 0; i < s.objectCount; ++i) {
    const Json& o = j["objects"][i];
    const SceneObject& so = s.objects[i];
    EXPECT_EQ(o["name"].text, so.name);
    EXPECT_EQ(o["materialIndex"].number, so.materialIndex);
    ASSERT_EQ(o["vertexCount"].number, so.vertexCount);
    ASSERT_EQ(o["vertices"].size(), so.vertexCount);
    ASSERT_EQ(o["faces"].size(), so.faceCount);
    EXPECT_EQ(o["matrix"].size(), 16u);
    for (uint32_t v = 0; v < so.vertexCount; ++v) {
      const Json& jv = o["vertices"][v];
      const SceneVertex& sv = so.vertices[v];
      const float expected[8] = {sv.x, sv.y, sv.z, sv.u, sv.v, sv.nx, sv.ny, sv.nz};
      ASSERT_EQ(jv.size(), 8u);
      for (int k = 0; k < 8; ++k) ASSERT_EQ(jv[k].f(), expected[k]) << file << " vertex " << v;
    }
    for (uint32_t f = 0; f < so.faceCount; ++f)
      for (int k = 0; k < 3; ++k) ASSERT_EQ(o["faces"][f][k].number, so.faces[f].index[k]);
  }
}

Scene ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  Scene scene{};
  Read3dsScene(bytes.data(), bytes.size(), &scene, nullptr);
  return scene;
}

bool HaveAssimp() {
  static const bool have = std::system("command -v assimp >/dev/null 2>&1") == 0;
  return have;
}

// `assimp info` counts, by the label at the start of each summary line.
std::map<std::string, long> AssimpCounts(const fs::path& file) {
  std::map<std::string, long> counts;
  const CommandResult o = RunCommand("assimp info '" + file.string() + "'");
  std::istringstream lines(o.out);
  std::string line;
  while (std::getline(lines, line)) {
    const size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    char* end = nullptr;
    const long value = std::strtol(line.c_str() + colon + 1, &end, 10);
    if (end != line.c_str() + colon + 1) counts.emplace(line.substr(0, colon), value);
  }
  return counts;
}

// assimp splits every mesh by material and gives each face its own vertices, so its mesh and
// vertex counts are not ours to match. What both keep whole is compared: the number of
// cameras (ours holds only the last camera, so "any" against "one"), the number of lights,
// and the total number of faces over all meshes.
void ExpectAssimpAgrees(const fs::path& file, const Json& j) {
  const std::map<std::string, long> counts = AssimpCounts(file);
  ASSERT_TRUE(counts.count("Faces") && counts.count("Lights") && counts.count("Cameras")) << file;
  long faces = 0;
  for (size_t i = 0; i < j["objects"].size(); ++i) faces += static_cast<long>(j["objects"][i]["faceCount"].number);
  EXPECT_EQ(counts.at("Faces"), faces) << file;
  EXPECT_EQ(counts.at("Lights"), static_cast<long>(j["lights"].size())) << file;
  EXPECT_EQ(counts.at("Cameras") > 0, j["camera"]["fov"].number != 0) << file;
}

class SceneInfoTool : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new fs::path(fs::temp_directory_path() / ("tavrine_scene_info_" + std::to_string(::getpid())));
    fs::remove_all(*dir_);
    fs::create_directories(*dir_ / "Scenes");
    fs::create_directories(*dir_ / "Textures");
    std::string error;
    made_ = WriteSceneFiles(dir_->string(), &error);
    EXPECT_TRUE(made_) << error;
  }
  static void TearDownTestSuite() {
    fs::remove_all(*dir_);
    delete dir_;
  }
  static fs::path* dir_;
  static bool made_;
};
fs::path* SceneInfoTool::dir_ = nullptr;
bool SceneInfoTool::made_ = false;

TEST_F(SceneInfoTool, PrintsEveryPackSceneAsTheReaderHoldsIt) {
  ASSERT_TRUE(made_);
  for (int n = 1; n <= 8; ++n) {
    const fs::path file = *dir_ / "Scenes" / ("Scene" + std::to_string(n) + ".3ds");
    const CommandResult o = SceneInfo(file.string());
    ASSERT_EQ(o.code, 0) << file << ": " << o.err;
    EXPECT_TRUE(o.err.empty());
    Json j;
    ASSERT_TRUE(JsonParser(o.out).Parse(&j)) << file;
    Scene scene = ReadFile(file);
    ExpectSameScene(j, scene, file.string());
    EXPECT_GT(scene.objectCount, 0u);
    FreeScene(&scene);
    if (HaveAssimp()) ExpectAssimpAgrees(file, j);
  }
}

TEST_F(SceneInfoTool, ReadsScenesThatAssimpExportsFromObj) {
  if (!HaveAssimp()) GTEST_SKIP() << "assimp is not on PATH";
  const fs::path obj = *dir_ / "pair.obj";
  // Two materials on one mesh, texture coordinates, five positions shared between faces.
  std::ofstream(*dir_ / "pair.mtl") << "newmtl Red\nKd 1 0 0\nnewmtl Blue\nKd 0 0 1\n";
  std::ofstream(obj) << "mtllib pair.mtl\no Pair\nv 0 0 0\nv 1 0 0\nv 0 1 0\nv 1 1 0\nv 0 0 1\n"
                        "vt 0 0\nvt 1 0\nvt 0 1\nusemtl Red\nf 1/1 2/2 3/3\nf 2/2 4/1 3/3\n"
                        "usemtl Blue\nf 1/1 3/3 5/2\n";
  const fs::path tds = *dir_ / "pair.3ds";
  ASSERT_EQ(RunCommand("assimp export '" + obj.string() + "' '" + tds.string() + "'").code, 0);
  const CommandResult o = SceneInfo(tds.string());
  ASSERT_EQ(o.code, 0) << o.err;
  Json j;
  ASSERT_TRUE(JsonParser(o.out).Parse(&j));
  ExpectAssimpAgrees(tds, j);
  // Its writer leaves out the version sub-chunks and writes float colours; both still read.
  bool red = false, blue = false;
  for (size_t i = 0; i < j["materials"].size(); ++i) {
    const Json& d = j["materials"][i]["diffuse"];
    red |= d[0].number == 1 && d[1].number == 0 && d[2].number == 0;
    blue |= d[0].number == 0 && d[1].number == 0 && d[2].number == 1;
  }
  EXPECT_TRUE(red && blue);
  ASSERT_GE(j["objects"].size(), 1u);
  for (size_t i = 0; i < j["objects"].size(); ++i) EXPECT_GT(j["objects"][i]["materialIndex"].number, 0);
}

TEST_F(SceneInfoTool, BadInputAndUsage) {
  ASSERT_TRUE(made_);
  // A scene cut short still prints what the reader takes from it.
  std::ifstream in(*dir_ / "Scenes/Scene2.3ds", std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  for (size_t cut : {size_t{6}, size_t{40}, bytes.size() / 2}) {
    const fs::path part = *dir_ / ("cut" + std::to_string(cut) + ".3ds");
    std::ofstream(part, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(cut));
    const CommandResult o = SceneInfo(part.string());
    EXPECT_EQ(o.code, 0) << cut;
    Json j;
    EXPECT_TRUE(JsonParser(o.out).Parse(&j)) << cut;
    EXPECT_GE(j["materials"].size(), 1u);  // the built-in material at least
  }
  // A file that is no scene at all, a missing one, a folder: one line on stderr, exit 1.
  std::ofstream(*dir_ / "words.3ds") << "these are words, not chunks";
  for (const fs::path& bad : {*dir_ / "words.3ds", *dir_ / "missing.3ds", *dir_ / "Scenes"}) {
    const CommandResult o = SceneInfo(bad.string());
    EXPECT_EQ(o.code, 1) << bad;
    EXPECT_TRUE(o.out.empty()) << bad;
    EXPECT_FALSE(o.err.empty()) << bad;
    EXPECT_EQ(o.err.find('\n'), o.err.size() - 1) << bad;
  }
  EXPECT_EQ(SceneInfo("").code, 2);
  EXPECT_EQ(SceneInfo("a.3ds b.3ds").code, 2);
}

TEST(SceneInfoJson, NamesStayValidJson) {
  Scene scene{};
  Read3dsScene(nullptr, 0, &scene, nullptr);
  std::snprintf(scene.materials[0].name, SCENE_NAME_SIZE, "quote\" back\\ tab\t \xE9");
  scene.cameraFov = std::numeric_limits<float>::infinity();  // what a lens of 0 gives
  const std::string text = SceneInfoJson(scene);
  Json j;
  ASSERT_TRUE(JsonParser(text).Parse(&j)) << text;
  EXPECT_EQ(j["materials"][0]["name"].text, "quote\" back\\ tab\t \xE9");
  EXPECT_EQ(j["camera"]["fov"].kind, Json::Null);
  EXPECT_EQ(j["objects"].size(), 0u);
  FreeScene(&scene);
}

}  // namespace
