// timeline.h - the show's fourteen segments: where each ends, its SceneTime offset and its
// drawing steps in call order. Adding or moving an effect is a one-line change in the table.
//
//   const TimelineSegment* segment = FindSegment(position);   // null at 122 and beyond
//   float sceneTime = position * 12.0f - segment->offset;
#pragma once
#include <cstdint>

using DrawStep = void (*)(float sceneTime);

constexpr int MAX_SEGMENT_STEPS = 5;
constexpr int TIMELINE_SEGMENTS = 14;
constexpr float TIMELINE_END = 122.0f;

struct TimelineSegment {
  float end;     // first position past the segment
  float offset;  // the segment's start position x 12
  DrawStep steps[MAX_SEGMENT_STEPS];
};

extern const TimelineSegment Timeline[TIMELINE_SEGMENTS];

// The segment containing `position` (a position equal to a bound belongs to the later
// segment); null when the show is over.
const TimelineSegment* FindSegment(float position);
int SegmentNumber(const TimelineSegment* segment);  // 1..14

// The last segment's music volume: 64 - trunc(SceneTime x 2/3), in double precision.
unsigned MusicVolumeAt(float sceneTime);
// The volume a run from the start has set when it reaches `position`: full until the last
// segment, then falling with it.
unsigned MusicVolumeAtPosition(float position);
