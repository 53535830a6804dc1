// xm_writer.h - writes eXtended Module (XM, version 0x0104) files.
//
//   XmModule song;             // fill header fields, orders, patterns, instruments
//   std::vector<uint8_t> bytes;
//   if (!BuildXm(song, &bytes, &error)) ...
//
// Patterns are stored packed; samples are 16-bit, delta-coded. Sample lengths and loop points
// are given here in samples; the file stores them in bytes.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

inline constexpr uint8_t XM_NOTE_OFF = 97;  // key-off; notes 1..96 are C-0..B-7

struct XmCell {
  uint8_t note = 0;        // 0 = none, 1..96, XM_NOTE_OFF
  uint8_t instrument = 0;  // 0 = none, 1..128
  uint8_t volume = 0;      // volume column byte, 0 = none (0x10..0x50 sets volume 0..64)
  uint8_t effect = 0;      // effect type 0..35
  uint8_t param = 0;       // effect parameter

  bool empty() const { return note == 0 && instrument == 0 && volume == 0 && effect == 0 && param == 0; }
};

struct XmPattern {
  int rows = 64;              // 1..256
  std::vector<XmCell> cells;  // rows * channels, row after row

  XmPattern() = default;
  XmPattern(int rowCount, int channels) : rows(rowCount), cells(size_t(rowCount) * size_t(channels)) {}
  XmCell& at(int row, int channel, int channels) { return cells[size_t(row) * size_t(channels) + size_t(channel)]; }
};

struct XmEnvelopePoint {
  uint16_t tick = 0;
  uint16_t value = 0;  // 0..64
};

enum XmLoop : uint8_t { XM_LOOP_NONE = 0, XM_LOOP_FORWARD = 1, XM_LOOP_PINGPONG = 2 };

struct XmSample {
  std::string name;            // up to 22 characters
  std::vector<int16_t> data;   // signed 16-bit PCM
  uint32_t loopStart = 0;      // in samples
  uint32_t loopLength = 0;     // in samples; 0 with XM_LOOP_NONE
  XmLoop loop = XM_LOOP_NONE;
  uint8_t volume = 64;         // 0..64
  int8_t finetune = 0;         // 1/128 semitone
  uint8_t panning = 128;       // 0 left .. 255 right
  int8_t relativeNote = 0;     // 0: C-4 plays at 8363 Hz
};

struct XmInstrument {
  std::string name;                       // up to 22 characters
  std::vector<XmSample> samples;          // 0..16; every key maps to sample 0
  std::vector<XmEnvelopePoint> volumeEnvelope;  // 0..12 points, ticks rising; empty = off
  int volumeSustain = -1;                 // point index, -1 = none
  int volumeLoopStart = -1, volumeLoopEnd = -1;  // point indices, -1 = no loop
  uint16_t fadeout = 0;                   // volume fade per tick after key-off
  uint8_t vibratoType = 0, vibratoSweep = 0, vibratoDepth = 0, vibratoRate = 0;
};

struct XmModule {
  std::string name;         // up to 20 characters
  std::string trackerName = "tavrine-tool";  // up to 20 characters
  int channels = 8;         // 2..32, even
  int speed = 6;            // ticks per row
  int tempo = 125;          // BPM
  bool linearFrequencies = true;
  int restartPosition = 0;
  std::vector<uint8_t> orders;  // pattern indices, 1..256 entries
  std::vector<XmPattern> patterns;
  std::vector<XmInstrument> instruments;  // 0..128
};

// The packed bytes of one pattern's cells (without the 9-byte pattern header).
std::vector<uint8_t> PackXmPattern(const XmPattern& pattern);

// Serialises the module. Returns false with a one-line reason when a field is out of range
// (bad channel count, order pointing past the patterns, a pattern too large to pack, a loop
// outside its sample, ...); nothing is clamped silently.
bool BuildXm(const XmModule& module, std::vector<uint8_t>* out, std::string* error);

// BuildXm and write the bytes to `path`.
bool WriteXmFile(const std::string& path, const XmModule& module, std::string* error);
