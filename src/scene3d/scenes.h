// scenes.h - the show's 3D scenes, loaded once at start-up and animated in place.
//
// The timeline draws seven of them, Scene1 to Scene7. Scene8 is read and never drawn: the show
// has always loaded it, and its step is the last of the progress screen's, so leaving it out
// would change what loading shows and how long it takes.
#pragma once
#include "assets/scene.h"

extern Scene Scene1, Scene2, Scene3, Scene4, Scene5, Scene6, Scene7, Scene8;
// A second copy of the third scene, kept only for its first object's rest positions.
extern Scene Scene3Rest;
