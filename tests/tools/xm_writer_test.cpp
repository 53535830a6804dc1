#include "content/xm_writer.h"

#include <gtest/gtest.h>

#include <libopenmpt/libopenmpt.hpp>
#include <sstream>

namespace {

unsigned U16(const std::vector<uint8_t>& b, size_t at) { return b[at] | (b[at + 1] << 8); }
uint32_t U32(const std::vector<uint8_t>& b, size_t at) { return U16(b, at) | (uint32_t(U16(b, at + 2)) << 16); }
std::string Text(const std::vector<uint8_t>& b, size_t at, size_t n) { return std::string(b.begin() + long(at), b.begin() + long(at + n)); }

// Two channels, two patterns (the second of 3 rows), one instrument with one looped sample.
XmModule TinyModule() {
  XmModule m;
  m.name = "tiny";
  m.channels = 2;
  m.speed = 5;
  m.tempo = 140;
  m.orders = {1, 0, 1};
  m.restartPosition = 1;
  m.patterns.emplace_back(2, 2);
  m.patterns.emplace_back(3, 2);
  XmPattern& p = m.patterns[1];
  p.at(0, 0, 2) = XmCell{49, 1, 0x40, 0x0C, 0x20};  // every field: stored unpacked
  p.at(0, 1, 2) = XmCell{XM_NOTE_OFF, 0, 0, 0, 0};  // note only
  p.at(1, 1, 2) = XmCell{0, 0, 0, 0x0, 0x37};       // arpeggio: effect 0 is left out, param kept
  p.at(2, 0, 2) = XmCell{0, 0, 0x1A, 0x0A, 0};      // volume and effect, no parameter

  XmInstrument ins;
  ins.name = "beep";
  ins.volumeEnvelope = {{0, 0}, {4, 64}, {30, 40}};
  ins.volumeSustain = 2;
  ins.fadeout = 512;
  XmSample s;
  s.name = "beep sample";
  s.data = {100, -100, 32767, -32768, 0, 5};
  s.loop = XM_LOOP_FORWARD;
  s.loopStart = 2;
  s.loopLength = 4;
  s.volume = 50;
  s.finetune = -3;
  s.panning = 99;
  s.relativeNote = 24;
  ins.samples.push_back(s);
  m.instruments.push_back(ins);
  return m;
}

std::vector<uint8_t> Build(const XmModule& m) {
  std::vector<uint8_t> bytes;
  std::string error;
  EXPECT_TRUE(BuildXm(m, &bytes, &error)) << error;
  return bytes;
}

TEST(XmWriter, HeaderFields) {
  const std::vector<uint8_t> b = Build(TinyModule());
  ASSERT_GE(b.size(), 336u);
  EXPECT_EQ(Text(b, 0, 17), "Extended Module: ");
  EXPECT_EQ(Text(b, 17, 20), std::string("tiny") + std::string(16, '\0'));
  EXPECT_EQ(b[37], 0x1A);
  EXPECT_EQ(Text(b, 38, 12), "tavrine-tool");
  EXPECT_EQ(U16(b, 58), 0x0104u);
  EXPECT_EQ(U32(b, 60), 276u);
  EXPECT_EQ(U16(b, 64), 3u);    // song length
  EXPECT_EQ(U16(b, 66), 1u);    // restart
  EXPECT_EQ(U16(b, 68), 2u);    // channels
  EXPECT_EQ(U16(b, 70), 2u);    // patterns
  EXPECT_EQ(U16(b, 72), 1u);    // instruments
  EXPECT_EQ(U16(b, 74), 1u);    // linear frequencies
  EXPECT_EQ(U16(b, 76), 5u);    // speed
  EXPECT_EQ(U16(b, 78), 140u);  // tempo
  EXPECT_EQ(b[80], 1);
  EXPECT_EQ(b[81], 0);
  EXPECT_EQ(b[82], 1);
  for (size_t i = 83; i < 336; ++i) ASSERT_EQ(b[i], 0) << "order table byte " << i;
}

TEST(XmWriter, PatternsArePacked) {
  const std::vector<uint8_t> b = Build(TinyModule());
  // Pattern 0: 2 rows x 2 channels of empty cells, one 0x80 each.
  EXPECT_EQ(U32(b, 336), 9u);
  EXPECT_EQ(b[340], 0);
  EXPECT_EQ(U16(b, 341), 2u);
  EXPECT_EQ(U16(b, 343), 4u);
  EXPECT_EQ(Text(b, 345, 4), std::string(4, '\x80'));
  // Pattern 1 follows straight after.
  const size_t p1 = 349;
  EXPECT_EQ(U32(b, p1), 9u);
  EXPECT_EQ(U16(b, p1 + 5), 3u);
  const std::vector<uint8_t> expected = {
      49, 1, 0x40, 0x0C, 0x20,  // row 0 ch 0: all five fields, no mask byte
      0x81, 97,                 // row 0 ch 1: key-off
      0x80, 0x90, 0x37,         // row 1: empty, then parameter only
      0x8C, 0x1A, 0x0A, 0x80,   // row 2: volume + effect, then empty
  };
  ASSERT_EQ(U16(b, p1 + 7), expected.size());
  EXPECT_EQ(std::vector<uint8_t>(b.begin() + long(p1 + 9), b.begin() + long(p1 + 9 + expected.size())), expected);
  EXPECT_EQ(PackXmPattern(TinyModule().patterns[1]), expected);
}

TEST(XmWriter, InstrumentHeaderAndDeltaCodedSample) {
  const XmModule m = TinyModule();
  const std::vector<uint8_t> b = Build(m);
  const size_t ins = 349 + 9 + 14;
  EXPECT_EQ(U32(b, ins), 263u);
  EXPECT_EQ(Text(b, ins + 4, 4), "beep");
  EXPECT_EQ(U16(b, ins + 27), 1u);   // samples
  EXPECT_EQ(U32(b, ins + 29), 40u);  // sample header size
  for (size_t k = 0; k < 96; ++k) ASSERT_EQ(b[ins + 33 + k], 0);
  EXPECT_EQ(U16(b, ins + 129 + 4), 4u);   // second envelope point: tick 4
  EXPECT_EQ(U16(b, ins + 129 + 6), 64u);  // value 64
  EXPECT_EQ(b[ins + 225], 3);             // volume points
  EXPECT_EQ(b[ins + 227], 2);             // sustain point
  EXPECT_EQ(b[ins + 233], 1 | 2);         // envelope on, sustain on
  EXPECT_EQ(U16(b, ins + 239), 512u);     // fadeout

  const size_t sh = ins + 263;
  EXPECT_EQ(U32(b, sh), 12u);      // length in bytes
  EXPECT_EQ(U32(b, sh + 4), 4u);   // loop start in bytes
  EXPECT_EQ(U32(b, sh + 8), 8u);   // loop length in bytes
  EXPECT_EQ(b[sh + 12], 50);
  EXPECT_EQ(int8_t(b[sh + 13]), -3);
  EXPECT_EQ(b[sh + 14], 0x11);     // forward loop, 16-bit
  EXPECT_EQ(b[sh + 15], 99);
  EXPECT_EQ(b[sh + 16], 24);
  EXPECT_EQ(Text(b, sh + 18, 11), "beep sample");

  const size_t data = sh + 40;
  ASSERT_EQ(b.size(), data + 12);
  const std::vector<int16_t> deltas = {100, -200, int16_t(-32669), 1, int16_t(-32768), 5};
  int16_t sum = 0;
  for (size_t i = 0; i < 6; ++i) {
    const int16_t d = int16_t(U16(b, data + 2 * i));
    EXPECT_EQ(d, deltas[i]) << i;
    sum = int16_t(uint16_t(sum) + uint16_t(d));
    EXPECT_EQ(sum, m.instruments[0].samples[0].data[i]) << i;
  }
}

TEST(XmWriter, IndependentPlayerReadsWhatWasWritten) {
  const std::vector<uint8_t> b = Build(TinyModule());
  std::ostringstream log;
  openmpt::module mod(b, log);
  EXPECT_EQ(mod.get_num_channels(), 2);
  EXPECT_EQ(mod.get_num_orders(), 3);
  EXPECT_EQ(mod.get_num_patterns(), 2);
  EXPECT_EQ(mod.get_num_instruments(), 1);
  EXPECT_EQ(mod.get_pattern_num_rows(1), 3);
  EXPECT_EQ(mod.get_current_speed(), 5);
  EXPECT_EQ(mod.get_current_tempo(), 140);
  EXPECT_EQ(mod.get_instrument_names().at(0), "beep");
  EXPECT_EQ(mod.get_metadata("title"), "tiny");
  using C = openmpt::module::command_index;
  // libopenmpt counts notes from an octave lower than the file does: the file's 49 is its 61.
  EXPECT_EQ(mod.get_pattern_row_channel_command(1, 0, 0, C::command_note), 49 + 12);
  EXPECT_EQ(mod.get_pattern_row_channel_command(1, 0, 0, C::command_instrument), 1);
  EXPECT_EQ(mod.get_pattern_row_channel_command(1, 1, 1, C::command_parameter), 0x37);
  EXPECT_EQ(mod.get_pattern_row_channel_command(1, 2, 0, C::command_parameter), 0);
}

TEST(XmWriter, RejectsWhatCannotBeWritten) {
  std::vector<uint8_t> bytes;
  std::string error;
  auto rejects = [&](XmModule m) {
    error.clear();
    const bool ok = BuildXm(m, &bytes, &error);
    return !ok && !error.empty();
  };
  XmModule m = TinyModule();
  m.channels = 3;
  EXPECT_TRUE(rejects(m)) << "odd channel count";
  m = TinyModule();
  m.orders.push_back(2);
  EXPECT_TRUE(rejects(m)) << "order past the patterns";
  m = TinyModule();
  m.patterns[0].cells.pop_back();
  EXPECT_TRUE(rejects(m)) << "cells not rows x channels";
  m = TinyModule();
  m.patterns[0].cells[0].instrument = 2;
  EXPECT_TRUE(rejects(m)) << "missing instrument";
  m = TinyModule();
  m.instruments[0].samples[0].loopLength = 5;
  EXPECT_TRUE(rejects(m)) << "loop beyond the sample";
  m = TinyModule();
  m.instruments[0].volumeEnvelope[2].tick = 4;
  EXPECT_TRUE(rejects(m)) << "envelope ticks not rising";
  m = TinyModule();
  m.instruments[0].volumeSustain = 3;
  EXPECT_TRUE(rejects(m)) << "sustain point past the envelope";
  m = TinyModule();
  m.name = "a name that is far too long";
  EXPECT_TRUE(rejects(m)) << "long name";
  m = TinyModule();
  m.restartPosition = 3;
  EXPECT_TRUE(rejects(m)) << "restart past the orders";
  EXPECT_FALSE(WriteXmFile("/nonexistent-dir/x.xm", TinyModule(), &error));
  EXPECT_NE(error.find("/nonexistent-dir/x.xm"), std::string::npos);
}

}  // namespace
