#include "effects/show_pictures.h"

uint32_t FrameBuffer[SCREEN_PIXELS];

uint32_t Texture1[TEXTURE_PIXELS];
uint32_t Texture2[TEXTURE_PIXELS];
uint32_t Texture4[TEXTURE_PIXELS];
uint32_t Cred1[CREDIT_PIXELS];
uint32_t Cred2[CREDIT_PIXELS];
uint32_t Cred3[CREDIT_PIXELS];
uint32_t Cred4[CREDIT_PIXELS];
uint32_t Cred5[CREDIT_PIXELS];
uint32_t Cred6[CREDIT_PIXELS];
uint32_t Cred7[CREDIT_PIXELS];
uint32_t Pixel1[SCREEN_PIXELS];
uint32_t Pixel2[SCREEN_PIXELS];
uint32_t Pixel3[SCREEN_PIXELS];
uint32_t Pixel4[SCREEN_PIXELS];
uint32_t Pixel5[SCREEN_PIXELS];
uint32_t Bilde[SCREEN_PIXELS];
uint32_t Lastpic[SCREEN_PIXELS];

ImageSurface FaceSurface;
ImageSurface GarrithSurface;
ImageSurface TrandleSurface;
ImageSurface QuibelSurface;
ImageSurface VorskSurface;
ImageSurface DiscoSurface;
ImageSurface ANewSurface;
ImageSurface ANew2Surface;
ImageSurface TorusSurface;
ImageSurface LadySurface;
ImageSurface Logo1Surface;
