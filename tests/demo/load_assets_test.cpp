#include "demo/load_assets.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "assets/bmp.h"
#include "content/bmp_writer.h"
#include "content/content.h"
#include "display/display.h"
#include "effects/show_pictures.h"
#include "platform/offline_platform.h"
#include "platform/surface.h"
#include "scene3d/scenes.h"

namespace {

namespace fs = std::filesystem;

const unsigned kPercentages[42] = {0,  2,  4,  8,  15, 17, 18, 19, 20, 22, 25, 28, 29, 35, 36, 39, 40, 42, 44, 45, 48,
                                   52, 55, 57, 62, 63, 64, 66, 68, 69, 70, 71, 73, 76, 80, 83, 86, 90, 93, 95, 98, 100};

struct Picture {
  uint32_t* pixels;
  size_t count;
};
const Picture kPictures[] = {{Texture1, TEXTURE_PIXELS}, {Texture2, TEXTURE_PIXELS}, {Texture4, TEXTURE_PIXELS},
                             {Cred1, CREDIT_PIXELS},     {Cred2, CREDIT_PIXELS},     {Cred3, CREDIT_PIXELS},
                             {Cred4, CREDIT_PIXELS},     {Cred5, CREDIT_PIXELS},     {Cred6, CREDIT_PIXELS},
                             {Cred7, CREDIT_PIXELS},     {Pixel1, SCREEN_PIXELS},    {Pixel2, SCREEN_PIXELS},
                             {Pixel3, SCREEN_PIXELS},    {Pixel4, SCREEN_PIXELS},    {Pixel5, SCREEN_PIXELS},
                             {Bilde, SCREEN_PIXELS},     {Lastpic, SCREEN_PIXELS}};
ImageSurface* const kSurfaces[] = {&FaceSurface,   &GarrithSurface, &TrandleSurface, &QuibelSurface,
                                   &VorskSurface,  &DiscoSurface,   &ANewSurface,    &ANew2Surface,
                                   &TorusSurface,  &LadySurface,    &Logo1Surface};
Scene* const kScenes[] = {&Scene1, &Scene2, &Scene3, &Scene4, &Scene5, &Scene6, &Scene7, &Scene8, &Scene3Rest};

constexpr uint32_t MARK = 0x00ABCDEF;

// Every screen LoadAssets presented, in order.
struct Loading {
  std::vector<std::vector<uint32_t>> frames;
};

// Runs LoadAssets in `dir` on an offline display set up the way the show's entry does it.
// The pictures start out marked and the surfaces and scenes empty, so that what the loading
// left behind can be told apart from what was there.
Loading LoadIn(const fs::path& dir) {
  for (const Picture& p : kPictures) std::fill(p.pixels, p.pixels + p.count, MARK);
  ReleaseAssets();

  Loading loading;
  auto offline = std::make_unique<OfflinePlatform>(60);
  offline->onFrame = [&](const OfflinePresenter& p) { loading.frames.push_back(p.frame); };
  const fs::path previous = fs::current_path();
  fs::current_path(dir);
  EXPECT_EQ(InitDisplay(&offline->platform, 1, &displayContext, DISPLAY_WINDOW), 0);
  EXPECT_EQ(InitDisplay(&offline->platform, 1, &displayContext, DISPLAY_DIRECTDRAW | DISPLAY_DIRECT3D), 0);
  displayContext.clearRect = DisplayRect{0, 0, 320, 240};
  LoadAssets();
  ReleaseDisplay(&displayContext);
  fs::current_path(previous);
  return loading;
}

// Height of the white bar: whole rows of white at x 310..319, counted up from the bottom.
int BarHeight(const std::vector<uint32_t>& frame) {
  int h = 0;
  for (int y = 239; y >= 0; --y) {
    for (int x = 310; x < 320; ++x)
      if ((frame[static_cast<size_t>(y) * 320 + x] & 0xFFFFFF) != 0xFFFFFF) return h;
    ++h;
  }
  return h;
}

// The content pack is made and loaded once, and only for the tests that look at it (a
// test run one process per test then pays for it only there).
class AssetLoading : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    root_ = new fs::path(fs::temp_directory_path() / ("tavrine_load_assets_" + std::to_string(::getpid())));
    fs::remove_all(*root_);
    fs::create_directories(*root_ / "empty");
  }
  static void TearDownTestSuite() {
    fs::remove_all(*root_);
    delete root_;
    delete pack_;
    pack_ = nullptr;
  }
  // The pack's folder, made on first use; empty (with a failure reported) when it cannot be.
  static fs::path PackDir() {
    static bool made = false;
    if (!made) {
      std::string error;
      made = MakeContent((*root_ / "pack").string(), &error);
      if (!made) ADD_FAILURE() << error;
    }
    return made ? *root_ / "pack" : fs::path();
  }
  // The screens of the pack's loading, recorded once.
  static const Loading* Pack() {
    if (!pack_ && !PackDir().empty()) pack_ = new Loading(LoadIn(PackDir()));
    return pack_;
  }

  static fs::path* root_;
  static Loading* pack_;
};
fs::path* AssetLoading::root_ = nullptr;
Loading* AssetLoading::pack_ = nullptr;

TEST_F(AssetLoading, ProgressScreensCountUpToAFullBar) {
  const Loading* pack = Pack();
  ASSERT_NE(pack, nullptr);
  const auto& frames = pack->frames;
  ASSERT_EQ(frames.size(), 43u);  // the first clearing present, then one screen per step
  for (int i = 0; i < 42; ++i) {
    const int expected = static_cast<int>(kPercentages[i] * 12 / 5);
    EXPECT_EQ(LoadProgressBarHeight(kPercentages[i]), expected);
    EXPECT_EQ(BarHeight(frames[i + 1]), expected) << "screen " << i << ", " << kPercentages[i] << "%";
  }
  EXPECT_EQ(BarHeight(frames[1]), 0);
  EXPECT_EQ(BarHeight(frames[42]), 240);
  for (unsigned p = 0; p <= 100; ++p) EXPECT_EQ(LoadProgressBarHeight(p), static_cast<int>(p * 12 / 5)) << p;

  // Behind the text and the bar every screen shows the loading picture.
  BmpPicture loading;
  ASSERT_EQ(LoadBmpPicture((*root_ / "pack/Images/Loading.bmp").c_str(), &loading), BmpResult::Decoded);
  ASSERT_EQ(loading.width, 320);
  for (size_t f = 1; f < frames.size(); ++f)
    for (int y = 80; y < 240; y += 7)
      for (int x = 0; x < 300; x += 11)
        ASSERT_EQ(frames[f][static_cast<size_t>(y) * 320 + x], loading.pixels[static_cast<size_t>(y) * 320 + x]) << f << " " << x << "," << y;
  // The texts are drawn at the top left: white there, and the shadow, on every screen.
  for (size_t f = 1; f < frames.size(); ++f) {
    bool white = false, differs = false;
    for (int y = 10; y < 64; ++y)
      for (int x = 10; x < 90; ++x) {
        const uint32_t p = frames[f][static_cast<size_t>(y) * 320 + x];
        white |= p == 0xFFFFFF;
        differs |= p != loading.pixels[static_cast<size_t>(y) * 320 + x];
      }
    EXPECT_TRUE(white && differs) << "screen " << f;
  }
  // The percentage text changes with the percentage; the word above it does not.
  auto region = [&](size_t f, int top, int bottom) {
    std::vector<uint32_t> r;
    for (int y = top; y < bottom; ++y) r.insert(r.end(), &frames[f][y * 320 + 10], &frames[f][y * 320 + 60]);
    return r;
  };
  EXPECT_EQ(region(1, 10, 28), region(42, 10, 28));
  EXPECT_NE(region(1, 46, 64), region(42, 46, 64));
}

TEST_F(AssetLoading, EverythingIsLoadedAndTheRestSceneTrimmed) {
  ASSERT_FALSE(PackDir().empty());
  LoadIn(PackDir());
  for (const Picture& p : kPictures)
    EXPECT_TRUE(std::any_of(p.pixels, p.pixels + p.count, [](uint32_t v) { return v != MARK; }));
  for (ImageSurface* s : kSurfaces) EXPECT_NE(*s, nullptr);
  ASSERT_NE(FaceSurface, nullptr);
  for (Scene* s : kScenes) {
    EXPECT_GT(s->objectCount, 0u);
    EXPECT_NE(s->objects, nullptr);
  }
  for (Scene* s : {&Scene1, &Scene2, &Scene3, &Scene4, &Scene5, &Scene6, &Scene7, &Scene8})
    EXPECT_GE(s->materialCount, 1u);
  EXPECT_GE(Scene5.lightCount, 1u);  // its first light turns ambient in the show

  // The second copy of the third scene keeps only its objects' vertex data.
  EXPECT_EQ(Scene3Rest.materials, nullptr);
  EXPECT_EQ(Scene3Rest.materialCount, 0u);
  EXPECT_EQ(Scene3Rest.lights, nullptr);
  EXPECT_EQ(Scene3Rest.lightCount, 0u);
  ASSERT_EQ(Scene3Rest.objectCount, Scene3.objectCount);
  EXPECT_EQ(Scene3Rest.objects[0].faces, nullptr);
  EXPECT_EQ(Scene3Rest.objects[0].faceCount, 0u);
  EXPECT_GT(Scene3.objects[0].faceCount, 0u);
  const SceneObject& rest = Scene3Rest.objects[0];
  const SceneObject& drawn = Scene3.objects[0];
  ASSERT_EQ(rest.vertexCount, drawn.vertexCount);
  ASSERT_GT(rest.vertexCount, 0u);
  EXPECT_EQ(std::memcmp(rest.vertices, drawn.vertices, sizeof(SceneVertex) * rest.vertexCount), 0);
  EXPECT_NE(rest.workVertices, nullptr);
  if (Scene3.objectCount > 1) {
    EXPECT_EQ(Scene3Rest.objects[1].faceCount, Scene3.objects[1].faceCount);
  }

  // Loading again gives the first load's memory back (the sanitizer build's leak check sees
  // it if not), and releasing leaves nothing behind.
  LoadIn(PackDir());
  EXPECT_NE(FaceSurface, nullptr);
  ReleaseAssets();
  for (ImageSurface* s : kSurfaces) EXPECT_EQ(*s, nullptr);
  for (Scene* s : kScenes) {
    EXPECT_EQ(s->objects, nullptr);
    EXPECT_EQ(s->materials, nullptr);
    EXPECT_EQ(s->lights, nullptr);
    EXPECT_EQ(s->objectCount + s->materialCount + s->lightCount, 0u);
  }
}

TEST_F(AssetLoading, AnEmptyFolderStillShowsTheLoading) {
  const Loading empty = LoadIn(*root_ / "empty");
  ASSERT_EQ(empty.frames.size(), 43u);
  for (int i = 0; i < 42; ++i) {
    EXPECT_EQ(BarHeight(empty.frames[i + 1]), static_cast<int>(kPercentages[i] * 12 / 5)) << i;
    // No picture: black behind the text and the bar.
    for (int y = 80; y < 240; y += 5)
      for (int x = 0; x < 300; x += 5) ASSERT_EQ(empty.frames[i + 1][y * 320 + x], 0u);
  }
  for (const Picture& p : kPictures)
    EXPECT_TRUE(std::all_of(p.pixels, p.pixels + p.count, [](uint32_t v) { return v == MARK; }));
  for (ImageSurface* s : kSurfaces) EXPECT_EQ(*s, nullptr);
  for (Scene* s : kScenes) {
    EXPECT_EQ(s->objectCount, 0u);
    EXPECT_EQ(s->materials, nullptr);
    EXPECT_EQ(s->materialCount, 0u);
    EXPECT_EQ(s->lights, nullptr);
  }
}

TEST_F(AssetLoading, ASmallLoadingPictureIsStretchedOverTheScreen) {
  // Four colours in a 2 x 2 picture: each fills a quarter of every screen.
  const fs::path dir = *root_ / "small";
  fs::create_directories(dir / "Images");
  Image quarters(2, 2);
  quarters.pixels = {0x102030, 0x405060, 0x708090, 0xA0B0C0};
  std::string error;
  ASSERT_TRUE(WriteBmp24((dir / "Images/Loading.bmp").string(), quarters, &error)) << error;
  const Loading small = LoadIn(dir);
  ASSERT_EQ(small.frames.size(), 43u);
  for (size_t f = 1; f < small.frames.size(); ++f) {
    const auto& frame = small.frames[f];
    EXPECT_EQ(frame[100 * 320 + 100], 0x102030u);
    EXPECT_EQ(frame[100 * 320 + 200], 0x405060u);
    EXPECT_EQ(frame[200 * 320 + 100], 0x708090u);
    EXPECT_EQ(frame[200 * 320 + 200], 0xA0B0C0u);
    EXPECT_EQ(frame[239 * 320 + 159], 0x708090u);
    EXPECT_EQ(frame[120 * 320 + 160], 0xA0B0C0u);
  }
}

}  // namespace
