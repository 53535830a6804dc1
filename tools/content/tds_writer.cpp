#include "content/tds_writer.h"

#include <cstdio>
#include <cstring>

namespace {

// Appends little-endian values and keeps a stack of open chunks whose lengths are patched
// when they close, so every length counts exactly its header, data and children.
class ChunkWriter {
 public:
  void Open(uint16_t id) {
    open_.push_back(bytes_.size());
    U16(id);
    U32(0);
  }
  void Close() {
    const size_t start = open_.back();
    open_.pop_back();
    const uint32_t length = static_cast<uint32_t>(bytes_.size() - start);
    for (int i = 0; i < 4; ++i) bytes_[start + 2 + i] = static_cast<uint8_t>(length >> (8 * i));
  }
  void U8(uint8_t v) { bytes_.push_back(v); }
  void U16(uint16_t v) {
    U8(static_cast<uint8_t>(v));
    U8(static_cast<uint8_t>(v >> 8));
  }
  void U32(uint32_t v) {
    U16(static_cast<uint16_t>(v));
    U16(static_cast<uint16_t>(v >> 16));
  }
  void F32(float f) {
    uint32_t v;
    std::memcpy(&v, &f, 4);
    U32(v);
  }
  void Vec(const TdsVec3& v) {
    F32(v.x);
    F32(v.y);
    F32(v.z);
  }
  void Str(const std::string& s) {
    bytes_.insert(bytes_.end(), s.begin(), s.end());
    U8(0);
  }
  std::vector<uint8_t> Take() { return std::move(bytes_); }

 private:
  std::vector<uint8_t> bytes_;
  std::vector<size_t> open_;
};

bool GoodName(const std::string& s) { return s.size() <= 127 && s.find('\0') == std::string::npos; }

bool Fail(std::string* error, const std::string& why) {
  if (error) *error = why;
  return false;
}

bool Check(const TdsScene& scene, std::string* error) {
  for (const TdsMaterial& m : scene.materials) {
    if (!GoodName(m.name) || !GoodName(m.textureFile)) return Fail(error, "bad material name: " + m.name);
  }
  for (const TdsMesh& mesh : scene.meshes) {
    if (!GoodName(mesh.name) || !GoodName(mesh.material)) return Fail(error, "bad mesh name: " + mesh.name);
    if (mesh.vertices.size() > 65535 || mesh.faces.size() > 65535)
      return Fail(error, "mesh " + mesh.name + " has too many vertices or faces");
    if (!mesh.uvs.empty() && mesh.uvs.size() != mesh.vertices.size())
      return Fail(error, "mesh " + mesh.name + " needs one mapping pair per vertex");
    for (const auto& f : mesh.faces) {
      for (uint16_t i : f) {
        if (i >= mesh.vertices.size()) return Fail(error, "mesh " + mesh.name + " has a face past its vertices");
      }
    }
  }
  for (const TdsLight& l : scene.lights) {
    if (!GoodName(l.name)) return Fail(error, "bad light name: " + l.name);
  }
  for (const TdsCamera& c : scene.cameras) {
    if (!GoodName(c.name)) return Fail(error, "bad camera name: " + c.name);
  }
  return true;
}

void ColourChunk(ChunkWriter& w, uint16_t id, const TdsRgb& c) {
  w.Open(id);
  w.Open(0x0011);
  w.U8(c.r);
  w.U8(c.g);
  w.U8(c.b);
  w.Close();
  w.Close();
}

void WriteMaterial(ChunkWriter& w, const TdsMaterial& m) {
  w.Open(0xAFFF);
  w.Open(0xA000);
  w.Str(m.name);
  w.Close();
  ColourChunk(w, 0xA010, m.ambient);
  ColourChunk(w, 0xA020, m.diffuse);
  ColourChunk(w, 0xA030, m.specular);
  if (!m.textureFile.empty()) {
    w.Open(0xA200);
    w.Open(0x0030);
    w.U16(m.texturePercent);
    w.Close();
    w.Open(0xA300);
    w.Str(m.textureFile);
    w.Close();
    w.Close();
  }
  w.Close();
}

void WriteCamera(ChunkWriter& w, const TdsCamera& c) {
  w.Open(0x4000);
  w.Str(c.name);
  w.Open(0x4700);
  w.Vec(c.position);
  w.Vec(c.target);
  w.F32(c.roll);
  w.F32(c.lens);
  w.Close();
  w.Close();
}

void WriteLight(ChunkWriter& w, const TdsLight& l) {
  w.Open(0x4000);
  w.Str(l.name);
  w.Open(0x4600);
  w.Vec(l.position);
  w.Open(0x0010);
  for (float c : l.color) w.F32(c);
  w.Close();
  if (l.outerRange != 0) {
    w.Open(0x465A);
    w.F32(l.outerRange);
    w.Close();
  }
  if (l.multiplier != 0) {
    w.Open(0x465B);
    w.F32(l.multiplier);
    w.Close();
  }
  if (l.spot) {
    w.Open(0x4610);
    w.Vec(l.target);
    w.F32(l.hotspot);
    w.F32(l.falloff);
    w.Close();
  }
  w.Close();
  w.Close();
}

void WriteMesh(ChunkWriter& w, const TdsMesh& mesh) {
  w.Open(0x4000);
  w.Str(mesh.name);
  w.Open(0x4100);
  w.Open(0x4110);
  w.U16(static_cast<uint16_t>(mesh.vertices.size()));
  for (const TdsVec3& v : mesh.vertices) w.Vec(v);
  w.Close();
  if (!mesh.uvs.empty()) {
    w.Open(0x4140);
    w.U16(static_cast<uint16_t>(mesh.uvs.size()));
    for (const auto& uv : mesh.uvs) {
      w.F32(uv[0]);
      w.F32(uv[1]);
    }
    w.Close();
  }
  // Local frame: identity axes at the origin; the vertices are already in place.
  w.Open(0x4160);
  for (int row = 0; row < 4; ++row) {
    for (int col = 0; col < 3; ++col) w.F32(row == col ? 1.0f : 0.0f);
  }
  w.Close();
  w.Open(0x4120);
  w.U16(static_cast<uint16_t>(mesh.faces.size()));
  for (const auto& f : mesh.faces) {
    w.U16(f[0]);
    w.U16(f[1]);
    w.U16(f[2]);
    w.U16(0x0007);  // all three edges visible
  }
  if (!mesh.material.empty()) {
    w.Open(0x4130);
    w.Str(mesh.material);
    w.U16(static_cast<uint16_t>(mesh.faces.size()));
    for (size_t i = 0; i < mesh.faces.size(); ++i) w.U16(static_cast<uint16_t>(i));
    w.Close();
  }
  w.Close();
  w.Close();
  w.Close();
}

}  // namespace

std::vector<uint8_t> EncodeTds(const TdsScene& scene, std::string* error) {
  if (!Check(scene, error)) return {};
  ChunkWriter w;
  w.Open(0x4D4D);
  w.Open(0x0002);
  w.U32(3);
  w.Close();
  w.Open(0x3D3D);
  w.Open(0x3D3E);
  w.U32(3);
  w.Close();
  w.Open(0x0100);
  w.F32(1.0f);
  w.Close();
  for (const TdsMaterial& m : scene.materials) WriteMaterial(w, m);
  for (const TdsCamera& c : scene.cameras) WriteCamera(w, c);
  for (const TdsLight& l : scene.lights) WriteLight(w, l);
  for (const TdsMesh& mesh : scene.meshes) WriteMesh(w, mesh);
  w.Close();
  w.Close();
  return w.Take();
}

bool WriteTds(const std::string& path, const TdsScene& scene, std::string* error) {
  const std::vector<uint8_t> bytes = EncodeTds(scene, error);
  if (bytes.empty()) return false;
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return Fail(error, "cannot create " + path);
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  const bool closed = std::fclose(f) == 0;
  if (!ok || !closed) return Fail(error, "cannot write " + path);
  return true;
}
