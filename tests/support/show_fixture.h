// show_fixture.h - a content folder for running the show offline in tests: a tiny music
// module of its own (the full pack is not needed to test the loop), in a temporary folder.
#pragma once
#include <string>

// Makes a fresh temporary folder holding Music/DISCO.XM (a short, valid module) and returns
// its path.
std::string MakeMusicOnlyContent(const std::string& name);
