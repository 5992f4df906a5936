// GetStockObject: a stable handle for the black brush the program's window
// class names. Nothing is drawn with it.
#include "call_trace.h"

namespace {

int blackBrush;

}  // namespace

HGDIOBJ WINAPI GetStockObject(int object) {
  if (PlatformCall("GetStockObject", nullptr, TraceNumber("object", object))) return nullptr;
  return object == BLACK_BRUSH ? static_cast<HGDIOBJ>(&blackBrush) : nullptr;
}
