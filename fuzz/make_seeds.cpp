// Writes the seed corpora of the fuzz targets (fuzz/corpus/TARGET/): small files of every kind
// each reader meets, made with the content generator's writers, and each reader's edge cases
// written out by hand. Run it again only to change the seeds on purpose:
//
//   build/fuzz_seeds fuzz/corpus
#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "content/bmp_writer.h"
#include "content/pcx_writer.h"
#include "content/tds_writer.h"
#include "content/xm_writer.h"
#include "support/bmp_files.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

fs::path root;
int written = 0;

void Seed(const std::string& target, std::string name, const Bytes& bytes) {
  for (char& c : name)
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '-') c = '-';
  fs::create_directories(root / target);
  std::ofstream(root / target / name, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  ++written;
}

// ---- PCX ----

Bytes PcxHeader(uint32_t xmin, uint32_t ymin, uint32_t xmax, uint32_t ymax, uint32_t bytesPerLine) {
  Bytes h(128, 0);
  h[0] = 10, h[1] = 5, h[2] = 1, h[3] = 8, h[65] = 3;
  PutLe16(h, 4, xmin), PutLe16(h, 6, ymin), PutLe16(h, 8, xmax), PutLe16(h, 10, ymax);
  PutLe16(h, 66, bytesPerLine);
  return h;
}

Bytes With(Bytes head, const Bytes& tail) {
  head.insert(head.end(), tail.begin(), tail.end());
  return head;
}

void PcxSeeds() {
  Image gradient(4, 2);
  for (int i = 0; i < 8; ++i) gradient.pixels[i] = static_cast<uint32_t>(i * 0x203040);
  Seed("pcx", "gradient-4x2.pcx", EncodePcx(gradient));
  Image bands(16, 6);
  std::mt19937 rng(7);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 16; ++x) bands.At(x, y) = x < 6 ? 0xC8C8FF : (rng() & 0xFFFFFF);  // runs, and values >= 192
  Seed("pcx", "bands-16x6.pcx", EncodePcx(bands));

  Seed("pcx", "one-pixel.pcx", With(PcxHeader(0, 0, 0, 0, 1), {0x10, 0x20, 0x30}));
  // A run of 10 where 4 pixels remain, then the next plane lines.
  Seed("pcx", "run-across-line-end.pcx", With(PcxHeader(0, 0, 3, 0, 4), {0xCA, 7, 0xC4, 8, 0xC4, 9}));
  Seed("pcx", "empty-run.pcx", With(PcxHeader(0, 0, 1, 0, 2), {0xC0, 5, 1, 2, 3, 4, 5, 6}));
  Seed("pcx", "literal-192.pcx", With(PcxHeader(0, 0, 0, 0, 1), {0xC1, 0xC0, 0xC1, 0xFF, 0x01}));
  Seed("pcx", "height-zero.pcx", PcxHeader(0, 1, 3, 0, 4));
  Seed("pcx", "wrapped-size.pcx", With(PcxHeader(5, 0, 2, 0, 4), {1, 2, 3}));
  Seed("pcx", "padded-lines.pcx", With(PcxHeader(0, 0, 2, 1, 4), Bytes(24, 0x41)));
  Seed("pcx", "header-only.pcx", PcxHeader(0, 0, 63, 63, 64));
  Bytes header = PcxHeader(0, 0, 3, 3, 4);
  header.resize(60);
  Seed("pcx", "short-header.pcx", header);
  Bytes cut = EncodePcx(bands);
  cut.resize(cut.size() / 2);
  Seed("pcx", "bands-cut.pcx", cut);
}

// ---- 3DS ----

Bytes Chunk(uint16_t id, const Bytes& data, const std::vector<Bytes>& children = {}) {
  Bytes out(6, 0);
  PutLe16(out, 0, id);
  out.insert(out.end(), data.begin(), data.end());
  for (const Bytes& child : children) out.insert(out.end(), child.begin(), child.end());
  PutLe32(out, 2, static_cast<uint32_t>(out.size()));
  return out;
}

Bytes Floats(std::initializer_list<float> values) {
  Bytes out;
  for (float v : values) {
    uint8_t b[4];
    std::memcpy(b, &v, 4);
    out.insert(out.end(), b, b + 4);
  }
  return out;
}

Bytes Le16s(std::initializer_list<uint16_t> values) {
  Bytes out;
  for (uint16_t v : values) out.insert(out.end(), {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)});
  return out;
}

Bytes Text(const std::string& s) { return Bytes(s.c_str(), s.c_str() + s.size() + 1); }

// The main and editor chunks around `body`, with their version sub-chunks.
Bytes Scene(const std::vector<Bytes>& body) {
  std::vector<Bytes> editor = {Chunk(0x3D3E, Bytes(4, 3))};
  editor.insert(editor.end(), body.begin(), body.end());
  return Chunk(0x4D4D, {}, {Chunk(0x0002, Bytes(4, 3)), Chunk(0x3D3D, {}, editor)});
}

Bytes Named(const std::string& name, const std::vector<Bytes>& children) { return Chunk(0x4000, Text(name), children); }

void TdsSeeds() {
  TdsScene scene;
  scene.materials.push_back({"Steel plate", {40, 40, 48}, {200, 200, 220}, {30, 30, 30}, "Metal.bmp", 100});
  scene.materials.push_back({"Glass", {10, 10, 10}, {90, 120, 200}, {255, 255, 255}, "", 100});
  TdsMesh quad;
  quad.name = "Quad one";
  quad.vertices = {{0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {0, 10, 0}};
  quad.uvs = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  quad.faces = {{0, 1, 2}, {0, 2, 3}};
  quad.material = "Steel plate";
  scene.meshes.push_back(quad);
  TdsMesh bare = quad;
  bare.name = "Bare";
  bare.uvs.clear();
  bare.material = "Nowhere";
  scene.meshes.push_back(bare);
  TdsLight lamp;
  lamp.name = "Lamp";
  lamp.position = {5, 5, 20};
  lamp.outerRange = 100;
  lamp.multiplier = 1.5f;
  scene.lights.push_back(lamp);
  TdsLight spot = lamp;
  spot.name = "Spot";
  spot.spot = true;
  spot.target = {5, 15, 20};
  spot.hotspot = 30;
  spot.falloff = 45;
  scene.lights.push_back(spot);
  scene.cameras.push_back({"Camera", {0, -50, 10}, {0, 0, 0}, 0, 48});
  std::string error;
  const Bytes whole = EncodeTds(scene, &error);
  Seed("tds", "scene.3ds", whole);
  Seed("tds", "scene-cut.3ds", Bytes(whole.begin(), whole.begin() + static_cast<long>(whole.size() / 2)));
  scene.cameras.push_back({"Second camera", {1, 2, 3}, {1, 2, 3}, 5, 0});  // eye on target, lens 0
  spot.target = spot.position;  // a spot light pointing nowhere
  scene.lights.push_back(spot);
  Seed("tds", "scene-degenerate.3ds", EncodeTds(scene, &error));

  const Bytes vertex = Chunk(0x4110, With(Le16s({3}), Floats({0, 0, 0, 1, 0, 0, 0, 1, 0})));
  Seed("tds", "face-past-vertices.3ds",
       Scene({Named("m", {Chunk(0x4100, {}, {vertex, Chunk(0x4120, Le16s({1, 0, 1, 7, 0}))})})}));
  Seed("tds", "mapping-before-vertices.3ds",
       Scene({Named("m", {Chunk(0x4100, {}, {Chunk(0x4140, With(Le16s({3}), Floats({0, 0, 1, 1, 0.5f, 0.5f}))), vertex})})}));
  Seed("tds", "colour-before-light.3ds", Scene({Chunk(0x0010, Floats({1, 0, 0})), Chunk(0x0011, {255, 128, 0})}));
  Seed("tds", "light-24-bit-colour.3ds",
       Scene({Named("l", {Chunk(0x4600, Floats({1, 2, 3}), {Chunk(0x0011, {255, 128, 0}), Chunk(0x465B, Floats({2}))})})}));
  Seed("tds", "camera-lens-zero.3ds", Scene({Named("c", {Chunk(0x4700, Floats({0, 0, 0, 0, 0, 0, 0, 0}))})}));
  Bytes shortChunk = Scene({Named("m", {Chunk(0x4100, {})})});
  shortChunk.insert(shortChunk.end(), {0x00, 0x41, 3, 0, 0, 0});  // a length below its own header
  Seed("tds", "chunk-shorter-than-header.3ds", shortChunk);
  Bytes overlong = Scene({Named("m", {Chunk(0x4100, {}, {vertex})})});
  PutLe32(overlong, 2, 0x7FFFFFFF);
  Seed("tds", "length-past-end.3ds", overlong);
  Seed("tds", "name-unended.3ds", Bytes{0x4D, 0x4D, 40, 0, 0, 0, 0x00, 0x40, 20, 0, 0, 0, 'a', 'b', 'c'});
  Seed("tds", "material.3ds", Scene({Chunk(0xAFFF, {}, {Chunk(0xA000, Text("Mat")),
                                                        Chunk(0xA010, {}, {Chunk(0x0011, {10, 20, 30})}),
                                                        Chunk(0xA200, {}, {Chunk(0x0030, Le16s({100})),
                                                                           Chunk(0xA300, Text("Wood.bmp"))})})}));
}

// ---- BMP ----

void BmpSeeds() {
  // One of each kind, at its smallest interesting size, for both BMP targets.
  for (const auto& [name, bytes] : EveryKindOfBmp()) {
    if (name.find(" 5x3") == std::string::npos) continue;
    Seed("bmp", name + ".bmp", bytes);
    if (name.find("header 40") != std::string::npos || name.find("RLE") != std::string::npos)
      Seed("texture", name + ".bmp", bytes);
  }
  Image small(8, 8);
  for (int i = 0; i < 64; ++i) small.pixels[i] = static_cast<uint32_t>(i * 0x030507);
  Image indices(8, 8);
  for (int i = 0; i < 64; ++i) indices.pixels[i] = static_cast<uint32_t>(i % 5);
  for (const char* target : {"bmp", "texture"}) {
    Seed(target, "generator-24-bit.bmp", EncodeBmp24(small));
    Seed(target, "generator-8-bit.bmp", EncodeBmp8(indices, {0x000000, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF}));
    // A 29-byte file whose header asks for a giant picture.
    Seed(target, "giant-claim.bmp", {0x42, 0x4d, 0xff, 0xff, 0xff, 0x00, 0xf0, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00,
                                     0x18, 0x00, 0x00, 0x01, 0x00, 0x18, 0x00, 0x00, 0x00, 0x01, 0x00, 0x18, 0x00,
                                     0x00, 0x18});
  }
  BmpSpec runs;
  runs.bits = 8;
  runs.compression = BMP_RLE8;
  runs.tableEntries = runs.colorsUsed = 4;
  runs.data = {3, 9, 0, 2, 1, 1, 0, 4, 1, 2, 3, 0, 0, 0, 5, 2};  // an index past the table, a move, no end
  Seed("bmp", "runs-unended.bmp", BuildBmp(runs));
  runs.compression = BMP_RLE4;
  runs.bits = 4;
  runs.data = {0, 2, 255, 255, 7, 0x12, 0, 5, 0x12, 0x34, 0x50, 0, 0, 1};  // moved far outside
  Seed("bmp", "runs-outside.bmp", BuildBmp(runs));
}

// ---- Music ----

void ModuleSeeds() {
  XmModule module;
  module.name = "seed";
  module.channels = 2;
  module.tempo = 144;
  XmSample square;
  for (int i = 0; i < 64; ++i) square.data.push_back(i < 32 ? 8000 : -8000);
  square.loop = XM_LOOP_FORWARD;
  square.loopLength = 64;
  XmInstrument lead;
  lead.samples.push_back(square);
  module.instruments.push_back(lead);
  XmPattern pattern(8, module.channels);
  for (int row = 0; row < 8; row += 2) {
    pattern.at(row, 0, module.channels).note = static_cast<uint8_t>(49 + row);
    pattern.at(row, 0, module.channels).instrument = 1;
    pattern.at(row, 1, module.channels).effect = 0x0A;
    pattern.at(row, 1, module.channels).param = 0x0F;
  }
  pattern.at(7, 0, module.channels).note = XM_NOTE_OFF;
  module.patterns.push_back(pattern);
  module.orders = {0, 0};
  Bytes bytes;
  std::string error;
  if (BuildXm(module, &bytes, &error)) Seed("module", "square.xm", bytes);
  Seed("module", "square-cut.xm", Bytes(bytes.begin(), bytes.begin() + static_cast<long>(bytes.size() * 2 / 3)));
  XmInstrument pad = lead;
  pad.samples[0].loop = XM_LOOP_PINGPONG;
  pad.volumeEnvelope = {{0, 0}, {4, 64}, {20, 32}};
  pad.volumeSustain = 1;
  pad.fadeout = 512;
  module.instruments.push_back(pad);
  module.instruments.push_back(XmInstrument{});  // no samples
  module.patterns.push_back(XmPattern(1, module.channels));
  module.orders = {1, 0, 1};
  if (BuildXm(module, &bytes, &error)) Seed("module", "three-instruments.xm", bytes);
  Seed("module", "header-only.xm", Bytes(bytes.begin(), bytes.begin() + 336));
  const std::string magic = "Extended Module: ";
  Seed("module", "magic-only.xm", Bytes(magic.begin(), magic.end()));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: fuzz_seeds FOLDER   (the corpora go into FOLDER/TARGET/)\n");
    return 2;
  }
  root = argv[1];
  PcxSeeds();
  TdsSeeds();
  BmpSeeds();
  ModuleSeeds();
  std::printf("%d seeds written under %s\n", written, root.c_str());
  return 0;
}
