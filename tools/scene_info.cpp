#include "scene_info.h"

#include <cmath>
#include <cstdio>
#include <cstdint>
#include <string>
#include <vector>

#include "assets/tds_reader.h"
#include "base/file.h"
#include "command_line.h"

static const ToolCommand kSceneInfoCommand{
    "scene-info", "IN.3ds", "Prints a 3D Studio scene as the show loads it (after its axis swap), as one JSON object.\n"};

namespace {

void Number(std::string& out, float value) {
  // JSON has no infinities or NaN; a broken file can still produce them.
  if (!std::isfinite(value)) {
    out += "null";
    return;
  }
  char text[32];
  std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
  out += text;
}

void Number(std::string& out, uint32_t value) { out += std::to_string(value); }

// Names are 8-bit text of unknown encoding: bytes above 0x7F are shown as Latin-1 so that the
// output stays valid UTF-8 whatever the file holds.
void String(std::string& out, const char* text) {
  out += '"';
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
    if (*p == '"' || *p == '\\') {
      out += '\\';
      out += static_cast<char>(*p);
    } else if (*p < 0x20 || *p >= 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", *p);
      out += escaped;
    } else {
      out += static_cast<char>(*p);
    }
  }
  out += '"';
}

void Floats(std::string& out, std::initializer_list<float> values) {
  out += '[';
  bool first = true;
  for (float v : values) {
    if (!first) out += ',';
    first = false;
    Number(out, v);
  }
  out += ']';
}

void Key(std::string& out, const char* key) {
  out += '"';
  out += key;
  out += "\": ";
}

void Color(std::string& out, const SceneColor& c) { Floats(out, {c.r, c.g, c.b}); }
void Point(std::string& out, const Vector3& v) { Floats(out, {v.x, v.y, v.z}); }

void Camera(std::string& out, const Scene& scene) {
  out += "{";
  Key(out, "name"), String(out, scene.cameraName), out += ", ";
  Key(out, "eye"), Point(out, scene.cameraEye), out += ", ";
  Key(out, "target"), Point(out, scene.cameraTarget), out += ", ";
  Key(out, "roll"), Number(out, scene.cameraRoll), out += ", ";
  Key(out, "fov"), Number(out, scene.cameraFov), out += "}";
}

void Material(std::string& out, const SceneMaterial& m) {
  out += "{";
  Key(out, "name"), String(out, m.name), out += ", ";
  Key(out, "flags"), Number(out, m.flags), out += ", ";
  Key(out, "ambient"), Color(out, m.ambient), out += ", ";
  Key(out, "diffuse"), Color(out, m.diffuse), out += ", ";
  Key(out, "specular"), Color(out, m.specular), out += ", ";
  Key(out, "textureFile"), String(out, m.textureFile), out += "}";
}

void Light(std::string& out, const SceneLight& l) {
  out += "{";
  Key(out, "name"), String(out, l.name), out += ", ";
  Key(out, "type"), Number(out, l.type), out += ", ";
  Key(out, "color"), Color(out, l.color), out += ", ";
  Key(out, "position"), Point(out, l.position), out += ", ";
  Key(out, "direction"), Point(out, l.direction), out += ", ";
  Key(out, "range"), Number(out, l.range), out += ", ";
  Key(out, "falloff"), Number(out, l.falloff), out += ", ";
  Key(out, "attenuation"), Floats(out, {l.attenuation0, l.attenuation1, l.attenuation2}), out += ", ";
  Key(out, "theta"), Number(out, l.theta), out += ", ";
  Key(out, "phi"), Number(out, l.phi), out += "}";
}

void Object(std::string& out, const SceneObject& o) {
  out += "{";
  Key(out, "name"), String(out, o.name), out += ", ";
  Key(out, "materialIndex"), Number(out, o.materialIndex), out += ", ";
  Key(out, "alpha"), Number(out, o.alpha), out += ", ";
  Key(out, "vertexCount"), Number(out, o.vertexCount), out += ", ";
  Key(out, "faceCount"), Number(out, o.faceCount), out += ", ";
  Key(out, "vertices"), out += "[";
  for (uint32_t i = 0; i < o.vertexCount && o.vertices; ++i) {
    const SceneVertex& v = o.vertices[i];
    if (i) out += ", ";
    Floats(out, {v.x, v.y, v.z, v.u, v.v, v.nx, v.ny, v.nz});
  }
  out += "], ";
  Key(out, "faces"), out += "[";
  for (uint32_t i = 0; i < o.faceCount && o.faces; ++i) {
    const SceneFace& f = o.faces[i];
    if (i) out += ", ";
    out += '[';
    Number(out, f.index[0]), out += ',', Number(out, f.index[1]), out += ',', Number(out, f.index[2]);
    out += ']';
  }
  out += "], ";
  Key(out, "matrix"), out += "[";
  for (int i = 0; i < 16; ++i) {
    if (i) out += ',';
    Number(out, o.matrix.m[i]);
  }
  out += "]}";
}

template <class T, class Write>
void List(std::string& out, const T* items, uint32_t count, Write write) {
  out += "[";
  for (uint32_t i = 0; i < count && items; ++i) {
    out += i ? ",\n   " : "\n   ";
    write(out, items[i]);
  }
  out += "]";
}

}  // namespace

std::string SceneInfoJson(const Scene& scene) {
  std::string out = "{";
  Key(out, "camera"), Camera(out, scene), out += ",\n ";
  Key(out, "materials"), List(out, scene.materials, scene.materialCount, Material), out += ",\n ";
  Key(out, "lights"), List(out, scene.lights, scene.lightCount, Light), out += ",\n ";
  Key(out, "objects"), List(out, scene.objects, scene.objectCount, Object), out += "}\n";
  return out;
}

int RunSceneInfo(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (IsHelp(argv[i])) return kSceneInfoCommand.Help();
    if (IsOption(argv[i])) return kSceneInfoCommand.UnknownOption(argv[i]);
  }
  if (argc != 2) return kSceneInfoCommand.UsageError(argc < 2 ? "missing the scene file" : "too many arguments");
  const char* in = argv[1];
  std::vector<uint8_t> bytes;
  FileRefusal refusal;
  if (!ReadWholeFile(in, TDS_FILE_LIMIT, bytes, &refusal)) {
    std::fprintf(stderr, "tavrine-tool scene-info: %s %s\n", in, refusal.why.c_str());
    return 1;
  }
  // Anything else is a scene the reader takes as far as it makes sense, as the show would;
  // a file that does not even open with the main chunk is no scene at all.
  if (bytes.size() < 6 || bytes[0] != 0x4D || bytes[1] != 0x4D) {
    std::fprintf(stderr, "tavrine-tool scene-info: %s: not a 3DS file (no main chunk)\n", in);
    return 1;
  }
  Scene scene{};
  Read3dsScene(bytes.data(), bytes.size(), &scene, nullptr);
  const std::string json = SceneInfoJson(scene);
  FreeScene(&scene);
  std::fwrite(json.data(), 1, json.size(), stdout);
  return std::fflush(stdout) == 0 ? 0 : 1;
}
