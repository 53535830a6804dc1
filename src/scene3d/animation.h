// animation.h - the seven animated 3D scenes of the timeline. Each writes its animation
// values into its Scene as a pure function of t and draws it with RenderScene.
#pragma once

void AnimateScene1(float t);
void AnimateScene2(float t);
void AnimateScene3(float t);
void AnimateScene4(float t);
void AnimateScene5(float t);
void AnimateScene6(float t);
void AnimateScene7(float t);
