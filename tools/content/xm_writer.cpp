#include "content/xm_writer.h"

#include <cstdio>
#include <memory>

namespace {

constexpr uint32_t kHeaderSize = 276;          // counted from offset 60, includes the order table
constexpr uint32_t kPatternHeaderSize = 9;
constexpr uint32_t kInstrumentHeaderSize = 263;  // with samples; 29 without
constexpr uint32_t kSampleHeaderSize = 40;

struct Out {
  std::vector<uint8_t>* bytes;
  void u8(unsigned v) { bytes->push_back(uint8_t(v)); }
  void u16(unsigned v) { u8(v & 0xFF); u8((v >> 8) & 0xFF); }
  void u32(uint32_t v) { u16(v & 0xFFFF); u16(v >> 16); }
  void text(const std::string& s, size_t width) {  // fixed width, padded with zeros
    for (size_t i = 0; i < width; ++i) u8(i < s.size() ? uint8_t(s[i]) : 0);
  }
  void zeros(size_t n) { bytes->insert(bytes->end(), n, 0); }
};

bool Fail(std::string* error, const std::string& why) {
  if (error) *error = why;
  return false;
}

bool CheckInstrument(const XmInstrument& ins, size_t index, std::string* error) {
  const std::string which = "instrument " + std::to_string(index + 1);
  if (ins.name.size() > 22) return Fail(error, which + ": name longer than 22 characters");
  if (ins.samples.size() > 16) return Fail(error, which + ": more than 16 samples");
  const size_t points = ins.volumeEnvelope.size();
  if (points > 12) return Fail(error, which + ": more than 12 envelope points");
  for (size_t p = 0; p < points; ++p) {
    if (ins.volumeEnvelope[p].value > 64) return Fail(error, which + ": envelope value above 64");
    if (p > 0 && ins.volumeEnvelope[p].tick <= ins.volumeEnvelope[p - 1].tick)
      return Fail(error, which + ": envelope ticks must rise");
  }
  if (points > 0 && ins.volumeEnvelope[0].tick != 0) return Fail(error, which + ": envelope must start at tick 0");
  auto badPoint = [&](int p) { return p < -1 || p >= int(points); };
  if (badPoint(ins.volumeSustain) || badPoint(ins.volumeLoopStart) || badPoint(ins.volumeLoopEnd))
    return Fail(error, which + ": envelope point index out of range");
  if ((ins.volumeLoopStart < 0) != (ins.volumeLoopEnd < 0) || ins.volumeLoopEnd < ins.volumeLoopStart)
    return Fail(error, which + ": bad envelope loop");
  if (ins.fadeout > 0xFFF) return Fail(error, which + ": fadeout above 4095");
  for (const XmSample& s : ins.samples) {
    if (s.name.size() > 22) return Fail(error, which + ": sample name longer than 22 characters");
    if (s.volume > 64) return Fail(error, which + ": sample volume above 64");
    if (s.data.size() > 0x7FFFFFFFu / 2) return Fail(error, which + ": sample too long");
    if (s.loop != XM_LOOP_NONE) {
      if (s.loopLength == 0) return Fail(error, which + ": looped sample with an empty loop");
      if (uint64_t(s.loopStart) + s.loopLength > s.data.size()) return Fail(error, which + ": loop outside the sample");
    }
  }
  return true;
}

void WriteInstrument(Out& o, const XmInstrument& ins) {
  const size_t before = o.bytes->size();
  o.u32(ins.samples.empty() ? 29 : kInstrumentHeaderSize);
  o.text(ins.name, 22);
  o.u8(0);  // type
  o.u16(unsigned(ins.samples.size()));
  if (ins.samples.empty()) return;

  o.u32(kSampleHeaderSize);
  o.zeros(96);  // keymap: every note plays sample 0
  for (size_t p = 0; p < 12; ++p) {
    const XmEnvelopePoint pt = p < ins.volumeEnvelope.size() ? ins.volumeEnvelope[p] : XmEnvelopePoint{};
    o.u16(pt.tick);
    o.u16(pt.value);
  }
  o.zeros(48);  // panning envelope points
  o.u8(unsigned(ins.volumeEnvelope.size()));
  o.u8(0);  // panning points
  o.u8(ins.volumeSustain < 0 ? 0 : unsigned(ins.volumeSustain));
  o.u8(ins.volumeLoopStart < 0 ? 0 : unsigned(ins.volumeLoopStart));
  o.u8(ins.volumeLoopEnd < 0 ? 0 : unsigned(ins.volumeLoopEnd));
  o.zeros(3);  // panning sustain, loop start, loop end
  unsigned volumeType = 0;
  if (!ins.volumeEnvelope.empty()) {
    volumeType |= 1;
    if (ins.volumeSustain >= 0) volumeType |= 2;
    if (ins.volumeLoopStart >= 0) volumeType |= 4;
  }
  o.u8(volumeType);
  o.u8(0);  // panning type
  o.u8(ins.vibratoType);
  o.u8(ins.vibratoSweep);
  o.u8(ins.vibratoDepth);
  o.u8(ins.vibratoRate);
  o.u16(ins.fadeout);
  o.zeros(kInstrumentHeaderSize - (o.bytes->size() - before));  // reserved

  for (const XmSample& s : ins.samples) {
    const bool looped = s.loop != XM_LOOP_NONE;
    o.u32(uint32_t(s.data.size() * 2));
    o.u32(looped ? s.loopStart * 2 : 0);
    o.u32(looped ? s.loopLength * 2 : 0);
    o.u8(s.volume);
    o.u8(uint8_t(s.finetune));
    o.u8(unsigned(s.loop) | 0x10);  // 16-bit
    o.u8(s.panning);
    o.u8(uint8_t(s.relativeNote));
    o.u8(0);
    o.text(s.name, 22);
  }
  for (const XmSample& s : ins.samples) {
    int16_t previous = 0;
    for (int16_t v : s.data) {
      o.u16(uint16_t(uint16_t(v) - uint16_t(previous)));  // wraps like the player's sum
      previous = v;
    }
  }
}

}  // namespace

std::vector<uint8_t> PackXmPattern(const XmPattern& pattern) {
  std::vector<uint8_t> out;
  Out o{&out};
  for (const XmCell& c : pattern.cells) {
    const unsigned mask = (c.note ? 1u : 0u) | (c.instrument ? 2u : 0u) | (c.volume ? 4u : 0u) |
                          (c.effect ? 8u : 0u) | (c.param ? 16u : 0u);
    if (mask == 0x1F) {  // every field present: the plain five bytes are shorter
      o.u8(c.note); o.u8(c.instrument); o.u8(c.volume); o.u8(c.effect); o.u8(c.param);
      continue;
    }
    o.u8(0x80 | mask);
    if (mask & 1) o.u8(c.note);
    if (mask & 2) o.u8(c.instrument);
    if (mask & 4) o.u8(c.volume);
    if (mask & 8) o.u8(c.effect);
    if (mask & 16) o.u8(c.param);
  }
  return out;
}

bool BuildXm(const XmModule& m, std::vector<uint8_t>* out, std::string* error) {
  if (m.name.size() > 20) return Fail(error, "module name longer than 20 characters");
  if (m.trackerName.size() > 20) return Fail(error, "tracker name longer than 20 characters");
  if (m.channels < 2 || m.channels > 32 || m.channels % 2) return Fail(error, "channel count must be even, 2 to 32");
  if (m.speed < 1 || m.speed > 31) return Fail(error, "speed must be 1 to 31");
  if (m.tempo < 32 || m.tempo > 255) return Fail(error, "tempo must be 32 to 255");
  if (m.orders.empty() || m.orders.size() > 256) return Fail(error, "order list must have 1 to 256 entries");
  if (m.patterns.empty() || m.patterns.size() > 256) return Fail(error, "pattern count must be 1 to 256");
  if (m.instruments.size() > 128) return Fail(error, "more than 128 instruments");
  if (m.restartPosition < 0 || size_t(m.restartPosition) >= m.orders.size())
    return Fail(error, "restart position outside the order list");
  for (uint8_t o : m.orders)
    if (o >= m.patterns.size()) return Fail(error, "order entry " + std::to_string(o) + " names a missing pattern");

  std::vector<std::vector<uint8_t>> packed;
  for (size_t p = 0; p < m.patterns.size(); ++p) {
    const XmPattern& pat = m.patterns[p];
    const std::string which = "pattern " + std::to_string(p);
    if (pat.rows < 1 || pat.rows > 256) return Fail(error, which + ": rows must be 1 to 256");
    if (pat.cells.size() != size_t(pat.rows) * size_t(m.channels)) return Fail(error, which + ": cell count is not rows x channels");
    for (const XmCell& c : pat.cells) {
      if (c.note > XM_NOTE_OFF) return Fail(error, which + ": note above key-off");
      if (c.instrument > m.instruments.size()) return Fail(error, which + ": instrument " + std::to_string(c.instrument) + " missing");
      if (c.effect > 35) return Fail(error, which + ": effect above 35");
    }
    packed.push_back(PackXmPattern(pat));
    if (packed.back().size() > 0xFFFF) return Fail(error, which + ": packed data above 65535 bytes");
  }
  for (size_t i = 0; i < m.instruments.size(); ++i)
    if (!CheckInstrument(m.instruments[i], i, error)) return false;

  out->clear();
  Out o{out};
  o.text("Extended Module: ", 17);
  o.text(m.name, 20);
  o.u8(0x1A);
  o.text(m.trackerName, 20);
  o.u16(0x0104);
  o.u32(kHeaderSize);
  o.u16(unsigned(m.orders.size()));
  o.u16(unsigned(m.restartPosition));
  o.u16(unsigned(m.channels));
  o.u16(unsigned(m.patterns.size()));
  o.u16(unsigned(m.instruments.size()));
  o.u16(m.linearFrequencies ? 1 : 0);
  o.u16(unsigned(m.speed));
  o.u16(unsigned(m.tempo));
  for (size_t i = 0; i < 256; ++i) o.u8(i < m.orders.size() ? m.orders[i] : 0);

  for (size_t p = 0; p < m.patterns.size(); ++p) {
    o.u32(kPatternHeaderSize);
    o.u8(0);  // packing type
    o.u16(unsigned(m.patterns[p].rows));
    o.u16(unsigned(packed[p].size()));
    out->insert(out->end(), packed[p].begin(), packed[p].end());
  }
  for (const XmInstrument& ins : m.instruments) WriteInstrument(o, ins);
  return true;
}

bool WriteXmFile(const std::string& path, const XmModule& module, std::string* error) {
  std::vector<uint8_t> bytes;
  if (!BuildXm(module, &bytes, error)) return false;
  std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(path.c_str(), "wb"), &std::fclose);
  if (!f) return Fail(error, "cannot create " + path);
  if (std::fwrite(bytes.data(), 1, bytes.size(), f.get()) != bytes.size()) return Fail(error, "cannot write " + path);
  FILE* raw = f.release();
  if (std::fclose(raw) != 0) return Fail(error, "cannot write " + path);
  return true;
}
