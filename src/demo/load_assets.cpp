#include "demo/load_assets.h"

#include <cstdio>
#include <cstdlib>

#include "assets/pcx.h"
#include "assets/tds_reader.h"
#include "display/display.h"
#include "display/pictures.h"
#include "display/text.h"
#include "effects/show_pictures.h"
#include "effects/tables.h"
#include "scene3d/scenes.h"

static ImageSurface loadingSurface;

int LoadProgressBarHeight(unsigned percentage) { return static_cast<int>(percentage * 2.4f); }

void ShowLoadProgress(unsigned percentage) {
  PlainBlit(nullptr, loadingSurface);
  TextContext dc;
  if (GetTextContext(&displayContext, &dc)) {
    SetTextBackgroundTransparent(&dc);
    TextFont* font = CreateTextFont(&dc, 10);
    SelectTextFont(&dc, font);
    char text[16];
    const int length = std::snprintf(text, sizeof text, "%u%%", percentage);
    SetTextColor(&dc, 0xFF000000);  // the shadow, one pixel right and down
    DrawText(&dc, 11, 11, "Loading...", 10);
    DrawText(&dc, 11, 47, text, length);
    SetTextColor(&dc, 0xFFFFFFFF);
    DrawText(&dc, 10, 10, "Loading...", 10);
    DrawText(&dc, 10, 46, text, length);
    DeleteTextFont(font);
    FillRectWhite(&dc, PixelRect{SCREEN_WIDTH - 10, SCREEN_HEIGHT - LoadProgressBarHeight(percentage), SCREEN_WIDTH,
                                   SCREEN_HEIGHT});
    ReleaseTextContext(&dc);
  }
  PresentFrame(&displayContext);
}

namespace {

struct PictureStep {
  const char* file;
  uint32_t* picture;
  size_t capacity;
  unsigned shown;
};

const PictureStep kPictures[] = {
    {"Textures\\Texture1.pcx", Texture1, TEXTURE_PIXELS, 17}, {"Textures\\Texture2.pcx", Texture2, TEXTURE_PIXELS, 18},
    {"Textures\\Texture4.pcx", Texture4, TEXTURE_PIXELS, 19}, {"Images\\Cred1.pcx", Cred1, CREDIT_PIXELS, 20},
    {"Images\\Cred2.pcx", Cred2, CREDIT_PIXELS, 22},          {"Images\\Cred3.pcx", Cred3, CREDIT_PIXELS, 25},
    {"Images\\Cred4.pcx", Cred4, CREDIT_PIXELS, 28},          {"Images\\Cred5.pcx", Cred5, CREDIT_PIXELS, 29},
    {"Images\\Cred6.pcx", Cred6, CREDIT_PIXELS, 35},          {"Images\\Cred7.pcx", Cred7, CREDIT_PIXELS, 36},
    {"Images\\Pixel1.pcx", Pixel1, SCREEN_PIXELS, 39},        {"Images\\Pixel2.pcx", Pixel2, SCREEN_PIXELS, 40},
    {"Images\\Pixel3.pcx", Pixel3, SCREEN_PIXELS, 42},        {"Images\\Pixel4.pcx", Pixel4, SCREEN_PIXELS, 44},
    {"Images\\Pixel5.pcx", Pixel5, SCREEN_PIXELS, 45},        {"Images\\Bilde.pcx", Bilde, SCREEN_PIXELS, 48},
    {"Images\\Lastpic.pcx", Lastpic, SCREEN_PIXELS, 52},
};

struct SurfaceStep {
  const char* file;
  ImageSurface* surface;
  unsigned shown;
};

const SurfaceStep kSurfaces[] = {
    {"Images\\Face.bmp", &FaceSurface, 55},   {"Images\\Garrith.bmp", &GarrithSurface, 57},
    {"Images\\Trandle.bmp", &TrandleSurface, 62}, {"Images\\Quibel.bmp", &QuibelSurface, 63},
    {"Images\\Vorsk.bmp", &VorskSurface, 64}, {"Images\\Disco.bmp", &DiscoSurface, 66},
    {"Images\\A_new.bmp", &ANewSurface, 68},  {"Images\\A_new2.bmp", &ANew2Surface, 69},
    {"Images\\torus.bmp", &TorusSurface, 70}, {"Images\\Lady.bmp", &LadySurface, 71},
    {"Images\\Logo1.bmp", &Logo1Surface, 73},
};

struct SceneStep {
  const char* file;
  Scene* scene;
  unsigned shown;
};

const SceneStep kScenes[] = {
    {"Scenes\\Scene1.3ds", &Scene1, 76}, {"Scenes\\Scene2.3ds", &Scene2, 80},     {"Scenes\\Scene3.3ds", &Scene3, 83},
    {"Scenes\\Scene3.3ds", &Scene3Rest, 86}, {"Scenes\\Scene4.3ds", &Scene4, 90}, {"Scenes\\Scene5.3ds", &Scene5, 93},
    {"Scenes\\Scene6.3ds", &Scene6, 95}, {"Scenes\\Scene7.3ds", &Scene7, 98},     {"Scenes\\Scene8.3ds", &Scene8, 100},
};

// The third scene's second copy serves only as rest positions: drop what nothing reads.
void TrimRestScene(Scene& scene) {
  // The texture records go with their materials; the textures they loaded stay with the device.
  for (uint32_t i = 0; i < scene.materialCount; ++i) std::free(scene.materials[i].texture);
  std::free(scene.materials);
  scene.materials = nullptr;
  scene.materialCount = 0;
  std::free(scene.lights);
  scene.lights = nullptr;
  scene.lightCount = 0;
  if (scene.objectCount > 0) {
    std::free(scene.objects[0].faces);
    scene.objects[0].faces = nullptr;
    scene.objects[0].faceCount = 0;
  }
}

}  // namespace

void ReleaseAssets() {
  for (const SurfaceStep& step : kSurfaces) {
    delete *step.surface;
    *step.surface = nullptr;
  }
  for (const SceneStep& step : kScenes) FreeScene(step.scene);
}

void LoadAssets() {
  ReleaseAssets();
  PresentFrame(&displayContext);
  loadingSurface = LoadImageSurface("Images\\Loading.bmp", &displayContext);
  BuildLookupTables(ShowLoadProgress);
  for (const PictureStep& step : kPictures) {
    LoadPcxPicture(step.file, step.picture, step.capacity);
    ShowLoadProgress(step.shown);
  }
  for (const SurfaceStep& step : kSurfaces) {
    *step.surface = LoadImageSurface(step.file, &displayContext);
    ShowLoadProgress(step.shown);
  }
  for (const SceneStep& step : kScenes) {
    Load3dsScene(step.file, step.scene, displayContext.device);
    if (step.scene == &Scene3Rest) TrimRestScene(Scene3Rest);
    ShowLoadProgress(step.shown);
  }
  delete loadingSurface;
  loadingSurface = nullptr;
}
