// display_results.h - the result codes the display driver reports, by their meaning.
// Values are those of the era's DirectDraw error table, so the failure box can show the
// table's sentence (display/display_errors.h).
#pragma once
#include <cstdint>

constexpr int32_t DisplayErrorCode(uint32_t n) { return static_cast<int32_t>(0x88760000u + n); }

constexpr int32_t DD_OK = 0;
constexpr int32_t DDERR_UNSUPPORTED = static_cast<int32_t>(0x80004001u);
constexpr int32_t DDERR_GENERIC = static_cast<int32_t>(0x80004005u);
constexpr int32_t DDERR_OUTOFMEMORY = static_cast<int32_t>(0x8007000Eu);
constexpr int32_t DDERR_INVALIDPARAMS = static_cast<int32_t>(0x80070057u);
constexpr int32_t DDERR_INVALIDMODE = DisplayErrorCode(120);
constexpr int32_t DDERR_NO3D = DisplayErrorCode(170);
constexpr int32_t DDERR_NOZBUFFERHW = DisplayErrorCode(340);
constexpr int32_t DDERR_OUTOFVIDEOMEMORY = DisplayErrorCode(380);
constexpr int32_t DDERR_SURFACELOST = DisplayErrorCode(450);
constexpr int32_t DDERR_NODIRECTDRAWHW = DisplayErrorCode(563);
constexpr int32_t DDERR_CANTCREATEDC = DisplayErrorCode(585);
