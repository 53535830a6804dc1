// effects_bench.cpp - every 2D effect's frame cost next to a plain copy of one 320 x 240
// frame, measured in the same run. The counter "x_copy" is the effect's time per frame divided
// by the copy's.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <ctime>

#include "bench_support.h"
#include "display/display.h"
#include "effects/effects.h"
#include "effects/show_pictures.h"

namespace {



void FillPattern(uint32_t* pixels, int count, uint32_t salt) {
  for (int i = 0; i < count; ++i) pixels[i] = (static_cast<uint32_t>(i) * 2654435761u + salt) & 0xFFFFFFu;
}

Surface backBuffer(320, 240, 32);
Surface lady(201, 240, 32), face(97, 104, 32), strip(136, 30, 32), torus(320, 240, 32);
Surface disco(320, 43, 32), backdrop(320, 240, 32), panel(108, 240, 32);

void SetUpShow() {
  static bool done = false;
  if (done) return;
  done = true;
  BuildLookupTables([](unsigned) {});
  FillPattern(Texture1, TEXTURE_PIXELS, 1);
  FillPattern(Texture2, TEXTURE_PIXELS, 2);
  FillPattern(Texture4, TEXTURE_PIXELS, 3);
  for (uint32_t* p : {Bilde, Pixel1, Pixel2, Pixel3, Pixel4, Pixel5, Lastpic})
    FillPattern(p, SCREEN_PIXELS, 4);
  for (uint32_t* p : {Cred1, Cred2, Cred3, Cred4, Cred5, Cred6, Cred7}) FillPattern(p, CREDIT_PIXELS, 5);
  for (Surface* s : {&lady, &face, &strip, &torus, &disco, &backdrop, &panel}) {
    FillSurface(*s, nullptr, 0x00C08040);
    // A keyed-out half, as the frame pictures have.
    const PixelRect hole{0, 0, s->width / 2, s->height};
    FillSurface(*s, &hole, KEYED_BLIT_COLOR);
  }
}

// The show's picture slots and back buffer lent to the benchmark's own surfaces while one
// effect runs. The show owns what its slots hold (it deletes them when assets are released),
// so they are given back as they were.
class LentPictures {
 public:
  LentPictures() : saved_(Slots()), savedBack_(displayContext.backBuffer), savedBits_(displayContext.backBufferBits) {
    LadySurface = &lady;
    FaceSurface = &face;
    TrandleSurface = GarrithSurface = QuibelSurface = VorskSurface = &strip;
    TorusSurface = &torus;
    DiscoSurface = &disco;
    ANew2Surface = &backdrop;
    ANewSurface = &panel;
    displayContext.backBuffer = &backBuffer;
    displayContext.backBufferBits = 32;
  }
  ~LentPictures() {
    std::array<ImageSurface*, 10> slots = Pointers();
    for (size_t i = 0; i < slots.size(); ++i) *slots[i] = saved_[i];
    displayContext.backBuffer = savedBack_;
    displayContext.backBufferBits = savedBits_;
  }

 private:
  static std::array<ImageSurface*, 10> Pointers() {
    return {&LadySurface,   &FaceSurface,  &TrandleSurface, &GarrithSurface, &QuibelSurface,
            &VorskSurface,  &TorusSurface, &DiscoSurface,   &ANew2Surface,   &ANewSurface};
  }
  static std::array<ImageSurface, 10> Slots() {
    std::array<ImageSurface, 10> values{};
    std::array<ImageSurface*, 10> slots = Pointers();
    for (size_t i = 0; i < slots.size(); ++i) values[i] = *slots[i];
    return values;
  }
  std::array<ImageSurface, 10> saved_;
  Surface* savedBack_;
  uint32_t savedBits_;
};

void RunEffect(benchmark::State& state, void (*effect)(float), float t) {
  SetUpShow();
  const LentPictures lent;
  const double copy = CopyNanoseconds();
  const double start = CpuNanoseconds();
  for (auto _ : state) {
    effect(t);
    benchmark::ClobberMemory();
  }
  const double perFrame = (CpuNanoseconds() - start) / static_cast<double>(state.iterations());
  state.counters["x_copy"] = perFrame / copy;
  state.counters["us"] = perFrame / 1000.0;
}

void BM_FrameCopy(benchmark::State& state) {
  for (auto _ : state) CopyFrame();
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * FRAME_BYTES);
  state.counters["us"] = CopyNanoseconds() / 1000.0;
}
BENCHMARK(BM_FrameCopy);

#define EFFECT_BENCH(name, effect, t) \
  void name(benchmark::State& state) { RunEffect(state, effect, t); } \
  BENCHMARK(name)

// FadeBildePicture includes its own upload and the clearing of the frame.
EFFECT_BENCH(BM_FadeBildePicture, FadeBildePicture, 48.0f);
EFFECT_BENCH(BM_CrossFadePixelPictures, CrossFadePixelPictures, 72.0f);
EFFECT_BENCH(BM_FadeOutLastPicture, FadeOutLastPicture, 60.0f);
EFFECT_BENCH(BM_DrawCredits, DrawCredits, 4.0f);
EFFECT_BENCH(BM_BlitLadyOverlay, BlitLadyOverlay, 0.0f);
EFFECT_BENCH(BM_ShowPixel5Picture, ShowPixel5Picture, 0.0f);
EFFECT_BENCH(BM_BlitTorusOverlay, BlitTorusOverlay, 0.0f);
EFFECT_BENCH(BM_BlitFaceOverlay, BlitFaceOverlay, 0.0f);
EFFECT_BENCH(BM_BlitDiscoOverlay, BlitDiscoOverlay, 0.0f);
EFFECT_BENCH(BM_BlitNameStrip, BlitNameStrip, 10.0f);
EFFECT_BENCH(BM_ShowPixel1Picture, ShowPixel1Picture, 0.0f);
EFFECT_BENCH(BM_BlitBackdrop, BlitBackdrop, 0.0f);
EFFECT_BENCH(BM_BlitSidePanel, BlitSidePanel, 0.0f);
EFFECT_BENCH(BM_DrawPerspectiveTunnel, DrawPerspectiveTunnel, 37.0f);
EFFECT_BENCH(BM_DrawSwirlTunnel, DrawSwirlTunnel, 37.0f);
EFFECT_BENCH(BM_DrawPlasmaBlend, DrawPlasmaBlend, 37.0f);
EFFECT_BENCH(BM_DrawPlasmaShade, DrawPlasmaShade, 37.0f);
EFFECT_BENCH(BM_DrawGlowParticles, DrawGlowParticles, 37.0f);
// The greetings include their upload and one line of text.
EFFECT_BENCH(BM_DrawGreetings, DrawGreetings, 30.0f);

}  // namespace
