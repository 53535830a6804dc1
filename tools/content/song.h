// song.h - the show's song as a module in memory, before it is written to Music/DISCO.XM.
//
// Sixteen orders follow the picture segments (a 16-row one for the 2-unit still), then a short
// tail lets the last chord ring past the end of the timeline.
#pragma once
#include <string>

#include "content/xm_writer.h"

inline constexpr int kSongTailRows = 24;  // 3 timeline units: the song lasts 104.17 s
inline constexpr int kSongOrders = 17;

bool BuildSong(XmModule* song, std::string* error);
