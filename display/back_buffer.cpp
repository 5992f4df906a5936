#include "back_buffer.h"

#include <cstring>

#include "display.h"

std::uint8_t* backBufferPixels = nullptr;
std::int32_t backBufferPitch = 0;

std::uint8_t* LockBackBuffer() {
  if (backBufferPixels != nullptr) return backBufferPixels;
  DDSURFACEDESC& desc = display.sharedSurfaceDesc;
  std::memset(&desc, 0, sizeof desc);
  desc.dwSize = sizeof desc;
  // A failed lock leaves the pointer null, so nothing is plotted this frame.
  if (display.backBuffer->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr) != DD_OK) return nullptr;
  backBufferPixels = static_cast<std::uint8_t*>(desc.lpSurface);
  backBufferPitch = desc.lPitch;
  return backBufferPixels;
}

int UnlockBackBuffer() {
  if (backBufferPixels == nullptr) return 0;
  display.backBuffer->Unlock(backBufferPixels);
  backBufferPixels = nullptr;
  backBufferPitch = 0;
  return 1;
}

int PutPixel(std::int32_t x, std::int32_t y, std::uint8_t color, std::uint8_t* buffer,
             std::int32_t pitch) {
  buffer[x + static_cast<std::ptrdiff_t>(y) * pitch] = color;
  return 1;
}
