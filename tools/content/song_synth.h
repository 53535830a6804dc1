// song_synth.h - the song's instruments, synthesised into XM instruments.
//
// Every sample is rendered at kSynthRate = 4 x 8363 Hz and carries the relative note that makes
// its "home" note play at exactly that rate, so a drum triggered at C-4 sounds as rendered and a
// tonal instrument sounds at the pitch written in the pattern.
//
// Only IEEE basic arithmetic and sqrt are used (no libm transcendentals, no platform rand), so
// the bytes are the same on every machine: sine comes from a table built by a polynomial,
// exponentials from a series, noise from a linear congruential generator.
//
// Tonal instruments are additive: each harmonic's phase is an exact table index, so a loop that
// spans a whole number of cycles of every partial joins without a click.
#pragma once
#include <vector>

#include "content/xm_writer.h"

inline constexpr int kSynthRate = 33452;

// Deterministic maths, exposed for tests.
double SynthSin(double turns);     // sine of turns * 2 pi
double SynthExp(double x);         // e^x
uint32_t SynthNoise(uint32_t* state);  // LCG step, returns the new state

// Scales to 16-bit so the largest magnitude becomes peak * 32767 (peak in 0..1).
std::vector<int16_t> SynthToPcm(const std::vector<double>& wave, double peak);

XmInstrument MakeKick();
XmInstrument MakeSnare();
XmInstrument MakeClap();
XmInstrument MakeClosedHat();
XmInstrument MakeOpenHat();
XmInstrument MakeBass();   // home note C-2, plucky saw/square, looped
XmInstrument MakePad();    // home note C-4, three detuned saws, looped
XmInstrument MakeLead();   // home note C-5, soft square with chorus, looped
XmInstrument MakeArp();    // home note C-5, bright pulse pluck, looped
XmInstrument MakeCrash();
XmInstrument MakeRiser();  // two bars of noise sweeping upward, into a drop
