// icon.h - the desktop icon: a ringed planet under stars on a night-blue tile with rounded
// corners, drawn from shapes at any size (the install has it at 48 and 256 pixels).
//
//   const Image icon = DrawIcon(48);   // 0xAARRGGBB, transparent outside the tile
#pragma once
#include <string>

#include "image.h"

Image DrawIcon(int size);
bool WriteIconFile(const std::string& path, int size, std::string* error);
