#include "scene3d/animation.h"

// Placeholder until the scenes land.
void AnimateScene1(float) {}
void AnimateScene2(float) {}
void AnimateScene3(float) {}
void AnimateScene4(float) {}
void AnimateScene5(float) {}
void AnimateScene6(float) {}
void AnimateScene7(float) {}
