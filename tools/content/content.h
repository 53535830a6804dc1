// content.h - the original content pack: every file the show reads, generated from code,
// deterministically (the same bytes on every run and machine).
//
//   MakeContent("build/content", &error);   // Music/, Images/, Textures/, Scenes/
//
// Each writer returns false and sets *error (one line) on failure.
#pragma once
#include <string>

bool MakeContent(const std::string& dir, std::string* error);

// The parts of the pack, each writing under `dir` (folders already made).
bool WriteSongFile(const std::string& dir, std::string* error);     // Music/DISCO.XM
bool WritePictureFiles(const std::string& dir, std::string* error); // Images/*, Textures/Texture{1,2,4}.pcx
bool WriteSceneFiles(const std::string& dir, std::string* error);   // Scenes/*.3ds and the textures they name

// One PNG showing every picture of a pack at a glance.
bool WriteContactSheet(const std::string& dir, const std::string& pngPath, std::string* error);
