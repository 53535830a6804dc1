#include "content/content.h"

// Placeholder until the pictures land.
bool WritePictureFiles(const std::string&, std::string* error) {
  if (error) *error = "the pictures are not written yet";
  return false;
}
bool WriteContactSheet(const std::string&, const std::string&, std::string* error) {
  if (error) *error = "the contact sheet is not written yet";
  return false;
}
