// display_errors.h - the sentence for each display result code, shown when the display
// cannot be set up. Exact match of the whole 32-bit value; anything else gets
// "The request reported an unknown error.". Never null.
#pragma once
#include <cstdint>

const char* DisplayErrorText(int32_t code);
