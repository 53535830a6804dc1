#include "assets/scene.h"

#include <cstdlib>
#include <cstring>

void FreeScene(Scene* scene) {
  if (scene == nullptr) return;
  if (scene->materials != nullptr) {
    for (uint32_t i = 0; i < scene->materialCount; i++) free(scene->materials[i].texture);
    free(scene->materials);
  }
  if (scene->objects != nullptr) {
    for (uint32_t i = 0; i < scene->objectCount; i++) {
      SceneObject& object = scene->objects[i];
      free(object.faces);
      free(object.vertices);
      free(object.workVertices);
    }
    free(scene->objects);
  }
  free(scene->lights);
  std::memset(scene, 0, sizeof(*scene));
}
