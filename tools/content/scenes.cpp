#include "content/content.h"

// Placeholder until the scenes land.
bool WriteSceneFiles(const std::string&, std::string* error) {
  if (error) *error = "the scenes are not written yet";
  return false;
}
