#include "assets/tds_reader.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "assets/texture_loader.h"
#include "base/bytes.h"
#include "base/file.h"

namespace {

// Byte levels and angles as the scene files have always been read: 1/255 as a float (255 gives
// exactly 1.0), degrees to half-angle radians, lens to field of view.
constexpr float BYTE_TO_LEVEL = 0.003921569f;
constexpr double CONE_DEGREES_TO_HALF_RADIANS = 0.008726;
constexpr double DEGREES_TO_RADIANS = 0.017453;

// The file's (x, y, z) in the show's axes.
Vector3 Swapped(const uint8_t* p) { return SetVector(ReadLeFloat(p), ReadLeFloat(p + 8), ReadLeFloat(p + 4)); }

// Appends one zeroed record to a malloc'd array; null when memory runs out.
template <class T>
T* Append(T*& array, uint32_t& count) {
  T* grown = static_cast<T*>(std::realloc(array, sizeof(T) * (count + 1)));
  if (!grown) return nullptr;
  array = grown;
  T* record = &array[count++];
  std::memset(record, 0, sizeof(T));
  return record;
}

class Walk {
 public:
  Walk(const uint8_t* bytes, size_t length, Scene* scene, Device3D* device)
      : data_(bytes), end_(length), scene_(scene), device_(device) {}

  void Run() {
    size_t pos = 0;
    while (end_ - pos >= 6) {
      const uint16_t id = ReadLe16(data_ + pos);
      const uint32_t length = ReadLe32(data_ + pos + 2);
      if (length < 6 || length > end_ - pos) return;  // would not advance, or runs past the end
      pos = Step(id, pos, length);
    }
  }

 private:
  // Does what chunk `id` at `pos` asks and returns where the walk goes on.
  size_t Step(uint16_t id, size_t pos, size_t length) {
    const uint8_t* c = data_ + pos;
    const size_t skip = pos + length;
    auto fits = [&](size_t bytes) { return bytes <= length; };
    switch (id) {
      case 0x4D4D:  // main, editor, material entry and texture map are entered; their first
      case 0x3D3D:  // sub-chunk (version, percentage) is skipped by its own length
      case 0xA200:
        return pos + 6;
      case 0x4000: {  // named object: its name, then its sub-chunks
        size_t after;
        if (!ReadName(pos + 6, skip, currentName_, &after)) return skip;
        return after;
      }
      case 0x4100: {  // triangle mesh
        SceneObject* object = Append(scene_->objects, scene_->objectCount);
        if (!object) return skip;
        object->alpha = 1.0f;
        std::memcpy(object->name, currentName_, SCENE_NAME_SIZE);
        currentObject_ = scene_->objectCount - 1;
        return pos + 6;
      }
      case 0x4110: {  // vertex list
        SceneObject* object = CurrentObject();
        if (!object || !fits(8)) return skip;
        const uint32_t n = ReadLe16(c + 6);
        if (!fits(8 + 12 * size_t{n})) return skip;
        auto* vertices = static_cast<SceneVertex*>(std::calloc(n ? n : 1, sizeof(SceneVertex)));
        auto* work = static_cast<WorkVertex*>(std::calloc(n ? n : 1, sizeof(WorkVertex)));
        if (!vertices || !work) {
          std::free(vertices);
          std::free(work);
          return skip;
        }
        for (uint32_t i = 0; i < n; ++i) {
          const Vector3 p = Swapped(c + 8 + 12 * size_t{i});
          vertices[i].x = p.x;
          vertices[i].y = p.y;
          vertices[i].z = p.z;
        }
        std::free(object->vertices);
        std::free(object->workVertices);
        object->vertices = vertices;
        object->workVertices = work;
        object->vertexCount = n;
        return pos + 8 + 12 * size_t{n};
      }
      case 0x4120: {  // face list, then its material groups
        SceneObject* object = CurrentObject();
        if (!object || !fits(8)) return skip;
        const uint32_t n = ReadLe16(c + 6);
        if (!fits(8 + 8 * size_t{n})) return skip;
        auto* faces = static_cast<SceneFace*>(std::calloc(n ? n : 1, sizeof(SceneFace)));
        if (!faces) return skip;
        for (uint32_t i = 0; i < n; ++i) {
          const uint8_t* f = c + 8 + 8 * size_t{i};
          faces[i] = SceneFace{{ReadLe16(f + 4), ReadLe16(f + 2), ReadLe16(f)}};
        }
        std::free(object->faces);
        object->faces = faces;
        object->faceCount = n;
        return pos + 8 + 8 * size_t{n};
      }
      case 0x4130: {  // face material group: the last matching material wins
        SceneObject* object = CurrentObject();
        char name[SCENE_NAME_SIZE];
        size_t after;
        if (!object || !ReadName(pos + 6, skip, name, &after)) return skip;
        for (uint32_t i = 0; i < scene_->materialCount; ++i)
          if (std::strcmp(scene_->materials[i].name, name) == 0) object->materialIndex = i;
        return skip;
      }
      case 0x4140: {  // mapping coordinates, counted by the mesh's vertices
        SceneObject* object = CurrentObject();
        if (!object || !fits(8 + 8 * size_t{object->vertexCount})) return skip;
        for (uint32_t i = 0; i < object->vertexCount; ++i) {
          object->vertices[i].u = ReadLeFloat(c + 8 + 8 * size_t{i});
          object->vertices[i].v = -ReadLeFloat(c + 12 + 8 * size_t{i});
        }
        return pos + 8 + 8 * size_t{object->vertexCount};
      }
      case 0x4160: {  // local matrix: the stored one is not used
        if (SceneObject* object = CurrentObject()) object->matrix = MakeIdentity();
        return skip;
      }
      case 0x4600: {  // light
        if (!fits(18)) return skip;
        SceneLight* light = Append(scene_->lights, scene_->lightCount);
        if (!light) return skip;
        light->type = LIGHT_POINT;
        std::memcpy(light->name, currentName_, SCENE_NAME_SIZE);
        light->position = Swapped(c + 6);
        currentLight_ = scene_->lightCount - 1;
        return pos + 18;
      }
      case 0x0010: {  // float colour
        SceneLight* light = CurrentLight();
        if (!light || !fits(18)) return skip;
        light->color = SceneColor{ReadLeFloat(c + 6), ReadLeFloat(c + 10), ReadLeFloat(c + 14)};
        return pos + 18;
      }
      case 0x0011: {  // 24-bit colour
        SceneLight* light = CurrentLight();
        if (!light || !fits(9)) return skip;
        light->color = SceneColor{c[6] * BYTE_TO_LEVEL, c[7] * BYTE_TO_LEVEL, c[8] * BYTE_TO_LEVEL};
        return pos + 9;
      }
      case 0x4610: {  // spot light
        SceneLight* light = CurrentLight();
        if (!light || !fits(26)) return skip;
        light->type = LIGHT_SPOT;
        const Vector3 target = Swapped(c + 6);
        const Vector3 toward = SubtractVectors(target, light->position);
        const float distance = VectorLength(toward);
        // A target on the light itself gives no direction rather than a division by zero.
        light->direction = distance > 0.0f ? DivideVector(toward, distance) : SetVector(0.0f, 0.0f, 0.0f);
        light->falloff = 1.0f;
        light->theta = static_cast<float>(ReadLeFloat(c + 18) * CONE_DEGREES_TO_HALF_RADIANS);
        light->phi = static_cast<float>(ReadLeFloat(c + 22) * CONE_DEGREES_TO_HALF_RADIANS);
        return pos + 26;
      }
      case 0x465A: {  // outer range
        SceneLight* light = CurrentLight();
        if (!light || !fits(10)) return skip;
        light->range = ReadLeFloat(c + 6);
        return pos + 10;
      }
      case 0x465B: {  // multiplier
        SceneLight* light = CurrentLight();
        if (!light || !fits(10)) return skip;
        light->attenuation0 = 0.0f;
        light->attenuation1 = ReadLeFloat(c + 6);
        light->attenuation2 = 0.0f;
        return pos + 10;
      }
      case 0x4700: {  // camera: the last one read wins
        if (!fits(38)) return skip;
        std::memcpy(scene_->cameraName, currentName_, SCENE_NAME_SIZE);
        scene_->cameraEye = Swapped(c + 6);
        scene_->cameraTarget = Swapped(c + 18);
        scene_->cameraRoll = ReadLeFloat(c + 30);
        // A lens of 0 makes the field of view infinite, as the division would; the projection
        // is then not finite and the device draws none of the scene.
        const float lens = ReadLeFloat(c + 34);
        const float degrees = lens != 0.0f ? 2400.0f / lens : std::copysign(HUGE_VALF, lens);
        scene_->cameraFov = static_cast<float>(degrees * DEGREES_TO_RADIANS);
        return pos + 38;
      }
      case 0xAFFF: {  // material entry
        SceneMaterial* material = Append(scene_->materials, scene_->materialCount);
        if (!material) return skip;
        material->texture = static_cast<MaterialTexture*>(std::calloc(1, sizeof(MaterialTexture)));
        currentMaterial_ = scene_->materialCount - 1;
        return pos + 6;
      }
      case 0xA000: {  // material name
        SceneMaterial* material = CurrentMaterial();
        size_t after;
        if (!material || !ReadName(pos + 6, skip, material->name, &after)) return skip;
        return after;
      }
      case 0xA010:
      case 0xA020:
      case 0xA030: {
        SceneMaterial* material = CurrentMaterial();
        if (material) {
          SceneColor* color = id == 0xA010 ? &material->ambient : id == 0xA020 ? &material->diffuse : &material->specular;
          ReadMaterialColor(c, length, color);
        }
        return skip;
      }
      case 0xA300: {  // texture map file name: the texture is loaded right away
        SceneMaterial* material = CurrentMaterial();
        size_t after;
        if (!material || !ReadName(pos + 6, skip, material->textureFile, &after)) return skip;
        if (material->texture) LoadMaterialTexture(material->texture, device_, material->textureFile);
        return after;
      }
      default:
        return skip;
    }
  }

  // The colour in the chunk's first sub-chunk: bytes for the 24-bit kinds, floats (held to
  // 0..1) for the float kinds; anything else leaves the colour as it is.
  static void ReadMaterialColor(const uint8_t* c, size_t length, SceneColor* color) {
    if (length < 12) return;
    const uint16_t kind = ReadLe16(c + 6);
    if ((kind == 0x0011 || kind == 0x0012) && length >= 15) {
      *color = SceneColor{c[12] * BYTE_TO_LEVEL, c[13] * BYTE_TO_LEVEL, c[14] * BYTE_TO_LEVEL};
    } else if ((kind == 0x0010 || kind == 0x0013) && length >= 24) {
      auto level = [](float v) { return std::isnan(v) ? 0.0f : v < 0.0f ? 0.0f : v > 1.0f ? 1.0f : v; };
      *color = SceneColor{level(ReadLeFloat(c + 12)), level(ReadLeFloat(c + 16)), level(ReadLeFloat(c + 20))};
    }
  }

  // A NUL-terminated name starting at `start` and ending before `limit`: cut to 127
  // characters; `after` is the byte after its NUL. False when there is no NUL in reach.
  bool ReadName(size_t start, size_t limit, char* name, size_t* after) const {
    if (start > limit) return false;
    const void* nul = std::memchr(data_ + start, 0, limit - start);
    if (!nul) return false;
    const size_t size = static_cast<const uint8_t*>(nul) - (data_ + start);
    const size_t kept = size < SCENE_NAME_SIZE - 1 ? size : SCENE_NAME_SIZE - 1;
    std::memset(name, 0, SCENE_NAME_SIZE);
    std::memcpy(name, data_ + start, kept);
    *after = start + size + 1;
    return true;
  }

  SceneObject* CurrentObject() { return currentObject_ < scene_->objectCount ? &scene_->objects[currentObject_] : nullptr; }
  SceneLight* CurrentLight() { return currentLight_ < scene_->lightCount ? &scene_->lights[currentLight_] : nullptr; }
  SceneMaterial* CurrentMaterial() {
    return currentMaterial_ < scene_->materialCount ? &scene_->materials[currentMaterial_] : nullptr;
  }

  const uint8_t* data_;
  size_t end_;
  Scene* scene_;
  Device3D* device_;
  char currentName_[SCENE_NAME_SIZE] = {};
  // All three start at the first record: before any mesh or light there is none to write to,
  // while material chunks before any material entry go to the built-in "Default".
  uint32_t currentObject_ = 0, currentLight_ = 0, currentMaterial_ = 0;
};

// Faces must name vertices of their own mesh; the ones that do not are dropped.
void DropBrokenFaces(SceneObject& object) {
  uint32_t kept = 0;
  for (uint32_t i = 0; i < object.faceCount; ++i) {
    const SceneFace& face = object.faces[i];
    if (face.index[0] < object.vertexCount && face.index[1] < object.vertexCount && face.index[2] < object.vertexCount)
      object.faces[kept++] = face;
  }
  object.faceCount = kept;
}

// Each vertex gets the mean of the unit normals of the faces that use it (a face counts once
// per vertex), not renormalised; a face of zero area has no normal and adds nothing.
void ComputeNormals(SceneObject& object) {
  std::vector<Vector3> sums(object.vertexCount, Vector3{0, 0, 0});
  std::vector<uint32_t> counts(object.vertexCount, 0);
  for (uint32_t f = 0; f < object.faceCount; ++f) {
    const uint32_t* index = object.faces[f].index;
    const SceneVertex& a = object.vertices[index[0]];
    const SceneVertex& b = object.vertices[index[1]];
    const SceneVertex& c = object.vertices[index[2]];
    const Vector3 n =
        CrossProduct(SetVector(b.x - a.x, b.y - a.y, b.z - a.z), SetVector(c.x - a.x, c.y - a.y, c.z - a.z));
    const float length = VectorLength(n);
    if (!(length > 0.0f)) continue;
    const Vector3 unit = DivideVector(n, length);
    for (int k = 0; k < 3; ++k) {
      const uint32_t v = index[k];
      if ((k >= 1 && v == index[0]) || (k == 2 && v == index[1])) continue;
      sums[v].x += unit.x;
      sums[v].y += unit.y;
      sums[v].z += unit.z;
      ++counts[v];
    }
  }
  for (uint32_t v = 0; v < object.vertexCount; ++v) {
    SceneVertex& vertex = object.vertices[v];
    if (counts[v] == 0) {
      vertex.nx = vertex.ny = vertex.nz = 0.0f;
      continue;
    }
    const float count = static_cast<float>(counts[v]);
    vertex.nx = sums[v].x / count;
    vertex.ny = sums[v].y / count;
    vertex.nz = sums[v].z / count;
  }
}

}  // namespace

void Read3dsScene(const uint8_t* bytes, size_t length, Scene* scene, Device3D* device) {
  std::memset(scene, 0, sizeof *scene);
  SceneMaterial* standard = Append(scene->materials, scene->materialCount);
  if (standard) {
    std::strcpy(standard->name, "Default");
    standard->texture = static_cast<MaterialTexture*>(std::calloc(1, sizeof(MaterialTexture)));
    standard->diffuse = SceneColor{1.0f, 1.0f, 1.0f};
  }
  Walk(bytes, length, scene, device).Run();
  for (uint32_t i = 0; i < scene->objectCount; ++i) {
    SceneObject& object = scene->objects[i];
    if (!object.vertices) object.faceCount = 0;  // faces without a vertex list name nothing
    DropBrokenFaces(object);
    ComputeNormals(object);
  }
}

int Load3dsScene(const char* fileName, Scene* scene, Device3D* device) {
  std::vector<uint8_t> bytes;
  if (!ReadShowFile(fileName, TDS_FILE_LIMIT, bytes)) return 1;
  Read3dsScene(bytes.data(), bytes.size(), scene, device);
  return 0;
}
