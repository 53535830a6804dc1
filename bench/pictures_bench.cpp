// Frame upload next to a plain copy of one frame, PCX and BMP decoding, and the start-up tables.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <SDL.h>

#include "assets/bmp.h"
#include "assets/pcx.h"
#include "content/bmp_writer.h"
#include "display/pictures.h"
#include "effects/tables.h"
#include "platform/display_driver.h"

namespace {

std::vector<uint32_t> BenchFrame() {
  std::vector<uint32_t> frame(320 * 240);
  for (size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<uint32_t>(i * 2654435761u) & 0xFFFFFF;
  return frame;
}

void BM_PlainFrameCopy(benchmark::State& state) {
  const std::vector<uint32_t> frame = BenchFrame();
  std::vector<uint8_t> target(320 * 240 * 4);
  for (auto _ : state) {
    std::memcpy(target.data(), frame.data(), target.size());
    benchmark::DoNotOptimize(target.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * 307200);
}
BENCHMARK(BM_PlainFrameCopy);

void BM_UploadFrameBuffer(benchmark::State& state) {
  const std::vector<uint32_t> frame = BenchFrame();
  const int bits = static_cast<int>(state.range(0));
  Surface back(320, 240, bits);
  DisplayContext ctx{};
  ctx.backBuffer = &back;
  ctx.backBufferBits = static_cast<uint32_t>(bits);
  for (auto _ : state) {
    UploadFrameBuffer(&ctx, frame.data());
    benchmark::DoNotOptimize(back.pixels.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * 307200);
}
BENCHMARK(BM_UploadFrameBuffer)->Arg(32)->Arg(24);

// Picture blits onto a 320 x 240 back buffer at both depths: the same size (row copies) and
// stretched (a column table per blit), keyed (half the picture blue) and plain. Compare with
// BM_PlainFrameCopy in the same run.
void BM_BlitSurface(benchmark::State& state) {
  const int bits = static_cast<int>(state.range(0));
  const bool stretched = state.range(1) != 0, keyed = state.range(2) != 0;
  Surface back(320, 240, bits), picture(stretched ? 97 : 320, stretched ? 104 : 240, bits);
  const std::vector<uint32_t> frame = BenchFrame();
  for (int y = 0; y < picture.height; ++y)
    for (int x = 0; x < picture.width; ++x)
      picture.SetPixel(x, y, x < picture.width / 2 ? 0x0000FFu : frame[y * 320 + x]);
  for (auto _ : state) {
    BlitSurface(back, nullptr, picture, nullptr, keyed, 0x0000FF);
    benchmark::DoNotOptimize(back.pixels.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * 320 * 240 * (bits / 8));
}
BENCHMARK(BM_BlitSurface)->ArgNames({"bits", "stretched", "keyed"})->ArgsProduct({{32, 24}, {0, 1}, {0, 1}});

// The offline presenter's copy of every presented frame (the whole-show runs pay it per frame).
void BM_OfflinePresent(benchmark::State& state) {
  const int bits = static_cast<int>(state.range(0));
  Surface back(320, 240, bits);
  OfflinePresenter presenter;
  for (auto _ : state) {
    presenter.Present(back);
    benchmark::DoNotOptimize(presenter.frame.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * 307200);
}
BENCHMARK(BM_OfflinePresent)->Arg(32)->Arg(24);

// A 320 x 240 picture with flat areas and noise, encoded as a writer would (runs within lines).
std::vector<uint8_t> BenchPcx() {
  std::vector<uint8_t> file(PCX_HEADER_SIZE, 0);
  file[0] = 10, file[1] = 5, file[2] = 1, file[3] = 8, file[65] = 3;
  file[8] = 319 & 0xFF, file[9] = 319 >> 8, file[10] = 239, file[66] = 320 & 0xFF, file[67] = 320 >> 8;
  const std::vector<uint32_t> frame = BenchFrame();
  for (int y = 0; y < 240; ++y)
    for (int plane = 0; plane < 3; ++plane) {
      int x = 0;
      while (x < 320) {
        auto value = [&](int at) {
          return static_cast<uint8_t>(at < 160 ? (y * 3 + plane * 50) : frame[y * 320 + at] >> (16 - 8 * plane));
        };
        const uint8_t v = value(x);
        int run = 1;
        while (x + run < 320 && run < 63 && value(x + run) == v) ++run;
        if (run > 1 || v >= 0xC0) file.push_back(static_cast<uint8_t>(0xC0 | run));
        file.push_back(v);
        x += run;
      }
    }
  return file;
}

void BM_DecodePcx320x240(benchmark::State& state) {
  const std::vector<uint8_t> file = BenchPcx();
  std::vector<uint32_t> picture(320 * 240);
  // Kept for a comparison with other decoders of the very same file.
  if (FILE* f = std::fopen("/tmp/tavrine_bench_320x240.pcx", "wb")) {
    std::fwrite(file.data(), 1, file.size(), f);
    std::fclose(f);
  }
  for (auto _ : state) {
    benchmark::DoNotOptimize(DecodePcxPicture(file.data(), file.size(), picture.data(), picture.size()));
    benchmark::ClobberMemory();
  }
  state.counters["file_bytes"] = static_cast<double>(file.size());
}
BENCHMARK(BM_DecodePcx320x240);

// The BMP reader next to SDL's loader and conversion, which the show used before, on the same
// 320 x 240 file: 24-bit (Arg 24) and 8-bit with a colour table (Arg 8).
std::vector<uint8_t> BenchBmp(int bits) {
  const std::vector<uint32_t> frame = BenchFrame();
  Image image(320, 240);
  std::vector<uint32_t> palette;
  for (uint32_t i = 0; i < 256; ++i) palette.push_back(i * 0x010305u & 0xFFFFFF);
  for (size_t i = 0; i < frame.size(); ++i) image.pixels[i] = bits == 8 ? frame[i] & 0xFF : frame[i];
  return bits == 8 ? EncodeBmp8(image, palette) : EncodeBmp24(image);
}

void BM_DecodeBmp320x240(benchmark::State& state) {
  const std::vector<uint8_t> file = BenchBmp(static_cast<int>(state.range(0)));
  BmpPicture picture;
  for (auto _ : state) {
    benchmark::DoNotOptimize(DecodeBmp(file.data(), file.size(), &picture));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_DecodeBmp320x240)->Arg(24)->Arg(8);

void BM_SdlDecodeBmp320x240(benchmark::State& state) {
  const std::vector<uint8_t> file = BenchBmp(static_cast<int>(state.range(0)));
  std::vector<uint32_t> pixels(320 * 240);
  for (auto _ : state) {
    SDL_Surface* loaded = SDL_LoadBMP_RW(SDL_RWFromConstMem(file.data(), static_cast<int>(file.size())), 1);
    SDL_SetSurfaceBlendMode(loaded, SDL_BLENDMODE_NONE);
    SDL_Surface* converted = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_XRGB8888, 0);
    for (int y = 0; y < 240; ++y)
      std::memcpy(pixels.data() + y * 320, static_cast<const uint8_t*>(converted->pixels) + y * converted->pitch,
                  320 * 4);
    SDL_FreeSurface(converted);
    SDL_FreeSurface(loaded);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_SdlDecodeBmp320x240)->Arg(24)->Arg(8);

void NoProgress(unsigned) {}

void BM_BuildLookupTables(benchmark::State& state) {
  for (auto _ : state) {
    BuildLookupTables(NoProgress);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_BuildLookupTables)->Unit(benchmark::kMillisecond);

}  // namespace
