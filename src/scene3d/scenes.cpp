#include "scene3d/scenes.h"

Scene Scene1, Scene2, Scene3, Scene4, Scene5, Scene6, Scene7, Scene8;
Scene Scene3Rest;
