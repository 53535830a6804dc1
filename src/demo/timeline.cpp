#include "demo/timeline.h"

#include <cmath>

#include "demo/demo.h"
#include "display/display.h"
#include "display/pictures.h"
#include "effects/effects.h"
#include "effects/show_pictures.h"
#include "platform/sound.h"
#include "scene3d/animation.h"
#include "scene3d/starfield.h"

static void Upload(float) { UploadFrameBuffer(&displayContext, FrameBuffer); }

static void FadeMusicVolume(float sceneTime) {
  MIDASsetMusicVolume(musicPlayHandle, MusicVolumeAt(sceneTime));
}

const TimelineSegment Timeline[TIMELINE_SEGMENTS] = {
    {8, 0, {FadeBildePicture, DrawStarfield}},
    {16, 96, {DrawCredits, Upload}},
    {24, 192, {AnimateScene3, BlitLadyOverlay}},
    {32, 288, {ShowPixel5Picture, AnimateScene7}},
    {48, 384, {CrossFadePixelPictures, Upload, AnimateScene5}},
    {56, 576, {AnimateScene6, BlitTorusOverlay}},
    {64, 672, {DrawPerspectiveTunnel, Upload, BlitFaceOverlay}},
    {72, 768, {DrawPlasmaBlend, DrawGlowParticles, Upload, AnimateScene1, BlitDiscoOverlay}},
    {88, 864, {DrawPlasmaShade, Upload, AnimateScene2, BlitNameStrip}},
    {90, 1056, {ShowPixel1Picture}},
    {98, 1080, {BlitBackdrop, AnimateScene4}},
    {106, 1176, {DrawSwirlTunnel, Upload, BlitSidePanel}},
    {114, 1272, {DrawGreetings}},
    {122, 1368, {FadeOutLastPicture, Upload, FadeMusicVolume}},
};

const TimelineSegment* FindSegment(float position) {
  for (const TimelineSegment& segment : Timeline)
    if (position < segment.end) return &segment;
  return nullptr;
}

int SegmentNumber(const TimelineSegment* segment) {
  return segment ? static_cast<int>(segment - Timeline) + 1 : 0;
}

unsigned MusicVolumeAt(float sceneTime) {
  return static_cast<unsigned>(64 - static_cast<int>(sceneTime * 0.6666666666666666));
}

unsigned MusicVolumeAtPosition(float position) {
  const TimelineSegment& last = Timeline[TIMELINE_SEGMENTS - 1];
  const float lastStart = last.offset / 12.0f;
  if (position < lastStart) return 64;
  // Past the end the volume stays where the last pass left it: just above silence.
  const float sceneTime = position < last.end ? position * 12.0f - last.offset : std::nextafter(last.end, 0.0f) * 12.0f - last.offset;
  return MusicVolumeAt(sceneTime);
}
