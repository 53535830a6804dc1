#include "display/display_errors.h"

#include "platform/display_results.h"

// Placeholder until the full table lands.
const char* DisplayErrorText(int32_t code) {
  switch (code) {
    case DD_OK: return "The request completed successfully.";
    case DDERR_NODIRECTDRAWHW:
      return "Hardware-only DirectDraw object creation is not possible; the driver does not support any hardware.";
    default: return "The request reported an unknown error.";
  }
}
