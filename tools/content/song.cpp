#include "content/content.h"

// Placeholder until the song lands.
bool WriteSongFile(const std::string&, std::string* error) {
  if (error) *error = "the song is not written yet";
  return false;
}
