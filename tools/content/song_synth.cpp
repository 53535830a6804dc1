#include "content/song_synth.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kTableSize = 16384;  // every loop length divides it, so partial phases stay exact
constexpr double kRate = kSynthRate;

// The pitch of a period of 2^k samples at kSynthRate is 1.87 cents below the tempered note;
// +2/128 semitone brings it within a third of a cent.
constexpr int8_t kTonalFinetune = 2;

const std::vector<double>& SineTable() {
  static const std::vector<double> table = [] {
    std::vector<double> t(kTableSize);
    for (int i = 0; i < kTableSize; ++i) t[size_t(i)] = SynthSin(double(i) / kTableSize);
    return t;
  }();
  return table;
}

int Samples(double seconds) { return int(seconds * kRate); }

// Chamberlin state-variable filter; enough for shaping noise.
struct Svf {
  double f, q, low = 0, band = 0;
  Svf(double cutoff, double damping) : f(2.0 * SynthSin(cutoff / kRate * 0.5)), q(damping) {}
  void step(double in, double* lowOut, double* bandOut, double* highOut) {
    low += f * band;
    const double high = in - low - q * band;
    band += f * high;
    if (lowOut) *lowOut = low;
    if (bandOut) *bandOut = band;
    if (highOut) *highOut = high;
  }
};

double Noise(uint32_t* state) { return double(SynthNoise(state) >> 8) / double(1u << 23) - 1.0; }

// A linear ramp in at the start and out at the end, so one-shot samples start and stop at zero.
void Taper(std::vector<double>* w, int in, int out) {
  const int n = int(w->size());
  for (int i = 0; i < in && i < n; ++i) (*w)[size_t(i)] *= double(i) / in;
  for (int i = 0; i < out && i < n; ++i) (*w)[size_t(n - 1 - i)] *= double(i) / out;
}

// Attack shape: 1 at the start, falling with time constant tau, exactly 0 from `length` on.
double AttackCurve(int n, int length, double tau) {
  if (n >= length) return 0.0;
  const double end = SynthExp(-double(length) / (tau * kRate));
  return (SynthExp(-double(n) / (tau * kRate)) - end) / (1.0 - end);
}

double Lowpass(double f, double cutoff, int order) {
  double r = f / cutoff, p = 1.0;
  for (int i = 0; i < 2 * order; ++i) p *= r;
  return 1.0 / std::sqrt(1.0 + p);
}

struct Oscillator {
  int cyclesPerLoop;  // whole cycles in the loop, so the loop is seamless
  double gain;
  int phase;          // table offset of the fundamental
};

// Additive voice: the spectrum moves from `bright` to `steady` (and the level from `peak` to 1)
// during the first `attack` samples, then stays put; the loop is the `loop` samples after it.
std::vector<double> RenderAdditive(int attack, int loop, const std::vector<Oscillator>& oscs,
                                   const std::vector<double>& bright, const std::vector<double>& steady,
                                   double peak, double tau) {
  const std::vector<double>& sine = SineTable();
  const int total = attack + loop;
  const size_t harmonics = steady.size();
  std::vector<double> out(size_t(total), 0.0);
  std::vector<double> amp(harmonics);
  for (int n = 0; n < total; ++n) {
    const double e = AttackCurve(n, attack, tau);
    for (size_t h = 0; h < harmonics; ++h) amp[h] = steady[h] + (bright[h] - steady[h]) * e;
    double sum = 0.0;
    for (const Oscillator& o : oscs) {
      const uint64_t step = uint64_t(o.cyclesPerLoop) * uint64_t(kTableSize / loop);
      double s = 0.0;
      for (size_t h = 0; h < harmonics; ++h) {
        if (amp[h] == 0.0) continue;
        const uint64_t k = uint64_t(h + 1);
        s += amp[h] * sine[size_t((k * step * uint64_t(n) + k * uint64_t(o.phase)) % kTableSize)];
      }
      sum += o.gain * s;
    }
    out[size_t(n)] = sum * (1.0 + (peak - 1.0) * e);
  }
  return out;
}

XmSample OneShot(const char* name, const std::vector<double>& wave, double peak, uint8_t volume, uint8_t panning) {
  XmSample s;
  s.name = name;
  s.data = SynthToPcm(wave, peak);
  s.volume = volume;
  s.panning = panning;
  s.relativeNote = 24;  // C-4 plays at kSynthRate
  return s;
}

XmSample Looped(const char* name, const std::vector<double>& wave, int loopStart, double peak, uint8_t volume,
                uint8_t panning, int8_t relativeNote) {
  XmSample s;
  s.name = name;
  s.data = SynthToPcm(wave, peak);
  s.loop = XM_LOOP_FORWARD;
  s.loopStart = uint32_t(loopStart);
  s.loopLength = uint32_t(wave.size()) - uint32_t(loopStart);
  s.volume = volume;
  s.panning = panning;
  s.relativeNote = relativeNote;
  s.finetune = kTonalFinetune;
  return s;
}

XmInstrument Instrument(const char* name, XmSample sample) {
  XmInstrument ins;
  ins.name = name;
  ins.samples.push_back(std::move(sample));
  return ins;
}

// Cymbal metal as analogue drum machines made it: six square waves at inharmonic ratios.
double Metal(int n, double scale) {
  static const double freqs[6] = {205.3, 304.4, 369.6, 522.7, 540.0, 800.0};
  double s = 0.0;
  for (double f : freqs) {
    const double t = double(n) * f * scale / kRate;
    s += (t - std::floor(t)) < 0.5 ? 1.0 : -1.0;
  }
  return s / 6.0;
}

std::vector<double> Cymbal(double seconds, double decay, double cutoff, double noiseMix, uint32_t seed) {
  std::vector<double> w(size_t(Samples(seconds)));
  Svf hp(cutoff, 0.7);
  uint32_t rng = seed;
  for (size_t n = 0; n < w.size(); ++n) {
    const double t = double(n) / kRate;
    const double src = Metal(int(n), 1.9) * (1.0 - noiseMix) + Noise(&rng) * noiseMix;
    double high = 0.0;
    hp.step(src, nullptr, nullptr, &high);
    w[n] = high * SynthExp(-t / decay);
  }
  Taper(&w, 8, Samples(0.01));
  return w;
}

}  // namespace

double SynthSin(double turns) {
  double t = turns - std::floor(turns);  // [0, 1)
  double sign = 1.0;
  if (t >= 0.5) { t -= 0.5; sign = -1.0; }
  if (t > 0.25) t = 0.5 - t;             // [0, 1/4]: sin is symmetric about a quarter turn
  const double x = t * 2.0 * kPi, x2 = x * x;
  double term = x, sum = x;
  for (int k = 1; k <= 11; ++k) {         // Taylor to x^23: below 1e-17 on [0, pi/2]
    term *= -x2 / double((2 * k) * (2 * k + 1));
    sum += term;
  }
  return sign * sum;
}

double SynthExp(double x) {
  if (x < -700.0) return 0.0;
  int halvings = 0;
  while (x > 0.5 || x < -0.5) { x *= 0.5; ++halvings; }
  double term = 1.0, sum = 1.0;
  for (int k = 1; k <= 20; ++k) {
    term *= x / double(k);
    sum += term;
  }
  for (int i = 0; i < halvings; ++i) sum *= sum;
  return sum;
}

uint32_t SynthNoise(uint32_t* state) {
  *state = *state * 1664525u + 1013904223u;
  return *state;
}

std::vector<int16_t> SynthToPcm(const std::vector<double>& wave, double peak) {
  double largest = 0.0;
  for (double v : wave) largest = std::max(largest, std::fabs(v));
  const double scale = largest > 0.0 ? peak * 32767.0 / largest : 0.0;
  std::vector<int16_t> out(wave.size());
  for (size_t i = 0; i < wave.size(); ++i) {
    const double v = std::clamp(std::floor(wave[i] * scale + 0.5), -32767.0, 32767.0);
    out[i] = int16_t(v);
  }
  return out;
}

XmInstrument MakeKick() {
  std::vector<double> w(size_t(Samples(0.42)));
  uint32_t rng = 0x4B1C4u;
  double phase = 0.0, click = 0.0;
  for (size_t n = 0; n < w.size(); ++n) {
    const double t = double(n) / kRate;
    const double f = 46.0 + 125.0 * SynthExp(-t / 0.032);  // pitch drop gives the thump
    phase += f / kRate;
    click += (Noise(&rng) - click) * 0.35;                 // softened beater noise
    const double body = SynthSin(phase) * SynthExp(-t / 0.30);
    w[n] = body + click * 0.45 * SynthExp(-t / 0.004);
  }
  Taper(&w, 12, Samples(0.02));
  return Instrument("Kick", OneShot("kick", w, 0.95, 64, 128));
}

XmInstrument MakeSnare() {
  std::vector<double> w(size_t(Samples(0.32)));
  uint32_t rng = 0x5A4Eu;
  Svf bp(2600.0, 0.9);
  for (size_t n = 0; n < w.size(); ++n) {
    const double t = double(n) / kRate;
    const double tone = (SynthSin(t * 182.0) * 0.7 + SynthSin(t * 331.0) * 0.3) * SynthExp(-t / 0.05);
    double band = 0.0, high = 0.0;
    bp.step(Noise(&rng), nullptr, &band, &high);
    w[n] = tone * 0.8 + (band * 0.7 + high * 0.5) * SynthExp(-t / 0.11);
  }
  Taper(&w, 8, Samples(0.02));
  return Instrument("Snare", OneShot("snare", w, 0.9, 50, 120));
}

XmInstrument MakeClap() {
  std::vector<double> w(size_t(Samples(0.36)));
  uint32_t rng = 0xC1A9u;
  Svf bp(1250.0, 0.45);
  const double bursts[3] = {0.0, 0.011, 0.023};
  for (size_t n = 0; n < w.size(); ++n) {
    const double t = double(n) / kRate;
    double env = 0.0;  // several hands a few milliseconds apart, then the room
    for (double b : bursts)
      if (t >= b && t < 0.032) env += SynthExp(-(t - b) / 0.0055);
    if (t >= 0.032) env += 0.85 * SynthExp(-(t - 0.032) / 0.095);
    double band = 0.0;
    bp.step(Noise(&rng), nullptr, &band, nullptr);
    w[n] = band * env;
  }
  Taper(&w, 8, Samples(0.02));
  return Instrument("Clap", OneShot("clap", w, 0.9, 48, 136));
}

XmInstrument MakeClosedHat() {
  return Instrument("Closed hat", OneShot("closed hat", Cymbal(0.14, 0.032, 7200.0, 0.45, 0x4A7u), 0.9, 30, 150));
}

XmInstrument MakeOpenHat() {
  return Instrument("Open hat", OneShot("open hat", Cymbal(0.62, 0.22, 6800.0, 0.5, 0x09E4u), 0.9, 26, 104));
}

XmInstrument MakeCrash() {
  return Instrument("Crash", OneShot("crash", Cymbal(2.3, 0.65, 4200.0, 0.7, 0xC4A5u), 0.9, 30, 150));
}

XmInstrument MakeBass() {
  // Period 512 = C-2; the loop is 32 periods. Bright pluck settling to a round tone.
  const int period = 512, loop = 16384, attack = 13 * period;
  const double f0 = kRate / period;
  std::vector<double> bright, steady;
  for (int h = 1; f0 * h < 6000.0; ++h) {
    const double saw = 1.0 / h, square = (h % 2) ? 1.0 / h : 0.0;
    const double shape = 0.55 * saw + 0.45 * square;
    bright.push_back(shape * Lowpass(f0 * h, 2400.0, 2));
    steady.push_back(shape * Lowpass(f0 * h, 520.0, 2));
  }
  const auto w = RenderAdditive(attack, loop, {{loop / period, 1.0, 0}}, bright, steady, 1.5, 0.05);
  XmInstrument ins = Instrument("Bass", Looped("bass", w, attack, 0.92, 60, 128, 48));
  ins.volumeEnvelope = {{0, 64}, {3, 58}, {14, 46}, {48, 36}, {120, 30}};
  ins.volumeSustain = 4;
  ins.fadeout = 3000;
  return ins;
}

XmInstrument MakePad() {
  // Period 128 = C-4; three saws a sixth of a semitone apart, each a whole number of cycles in
  // the 16384-sample loop, so the chorus beats keep going through the loop point.
  const int period = 128, loop = 16384;
  const double f0 = kRate / period;
  std::vector<double> spectrum;
  for (int h = 1; f0 * h < 7000.0; ++h) spectrum.push_back((1.0 / h) * Lowpass(f0 * h, 1700.0, 2));
  const int cycles = loop / period;
  const auto w = RenderAdditive(0, loop, {{cycles - 1, 0.8, 3000}, {cycles, 1.0, 0}, {cycles + 1, 0.8, 9000}},
                                spectrum, spectrum, 1.0, 1.0);
  XmInstrument ins = Instrument("Pad", Looped("pad", w, 0, 0.9, 40, 128, 24));
  ins.volumeEnvelope = {{0, 0}, {6, 36}, {18, 58}, {40, 50}};
  ins.volumeSustain = 3;
  ins.fadeout = 700;
  return ins;
}

XmInstrument MakeLead() {
  // Period 64 = C-5; hollow square with a little even content, doubled 6.8 cents sharp.
  const int period = 64, loop = 16384, attack = 25 * period;
  const double f0 = kRate / period;
  std::vector<double> bright, steady;
  for (int h = 1; f0 * h < 9000.0; ++h) {
    const double shape = (h % 2) ? 1.0 / h : 0.25 / h;
    bright.push_back(shape * Lowpass(f0 * h, 5000.0, 2));
    steady.push_back(shape * Lowpass(f0 * h, 2600.0, 2));
  }
  const int cycles = loop / period;
  const auto w = RenderAdditive(attack, loop, {{cycles, 1.0, 0}, {cycles + 1, 0.5, 5000}}, bright, steady, 1.3, 0.03);
  XmInstrument ins = Instrument("Lead", Looped("lead", w, attack, 0.9, 44, 128, 12));
  ins.volumeEnvelope = {{0, 64}, {4, 58}, {20, 50}, {60, 46}};
  ins.volumeSustain = 3;
  ins.fadeout = 1200;
  return ins;
}

XmInstrument MakeArp() {
  // Period 64 = C-5; a 25% pulse that closes quickly: the pluck of a poly synth.
  const int period = 64, loop = 16 * period, attack = 32 * period;
  const double f0 = kRate / period;
  std::vector<double> bright, steady;
  for (int h = 1; f0 * h < 10000.0; ++h) {
    const double pulse = SynthSin(0.125 * h) / h;  // sin(pi h / 4) / h
    bright.push_back(pulse * Lowpass(f0 * h, 6000.0, 2));
    steady.push_back(pulse * Lowpass(f0 * h, 1800.0, 2));
  }
  const auto w = RenderAdditive(attack, loop, {{loop / period, 1.0, 0}}, bright, steady, 1.4, 0.025);
  XmInstrument ins = Instrument("Arp", Looped("arp", w, attack, 0.9, 34, 88, 12));
  ins.volumeEnvelope = {{0, 64}, {2, 50}, {8, 30}, {20, 14}, {40, 4}, {60, 0}};
  ins.fadeout = 2000;
  return ins;
}

XmInstrument MakeRiser() {
  const int length = Samples(3.3);
  std::vector<double> w(static_cast<size_t>(length));
  uint32_t rng = 0x815Eu;
  double low = 0.0, band = 0.0;
  for (int n = 0; n < length; ++n) {
    const double x = double(n) / length;
    const double cutoff = 350.0 * SynthExp(x * 3.1);     // about 350 Hz up to 7.7 kHz
    const double f = 2.0 * SynthSin(cutoff / kRate * 0.5);
    low += f * band;                                      // the state-variable filter, retuned every sample
    const double high = Noise(&rng) - low - 0.5 * band;
    band += f * high;
    w[size_t(n)] = band * (0.15 + 0.85 * x * x);
  }
  Taper(&w, Samples(0.05), Samples(0.01));
  return Instrument("Riser", OneShot("riser", w, 0.9, 30, 128));
}
