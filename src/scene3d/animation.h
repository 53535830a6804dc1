// animation.h - the seven animated 3D scenes of the timeline. Each writes its animation
// values into its Scene as a pure function of t (nothing carries over between frames) and
// draws it with RenderScene on the display's 3D device.
#pragma once
#include "base/maths.h"

void AnimateScene1(float t);
void AnimateScene2(float t);
void AnimateScene3(float t);
void AnimateScene4(float t);
void AnimateScene5(float t);
void AnimateScene6(float t);
void AnimateScene7(float t);

// Turns about z and about y, each from the identity; RotationY(b) x RotationZ(a) turns about
// z by a first (formed as MultiplyMatrices(RotationZ(a), RotationY(b))).
Matrix4x4 RotationZ(float angle);
Matrix4x4 RotationY(float angle);
