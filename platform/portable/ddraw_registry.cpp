#include "ddraw_registry.h"

#include "soft_ddraw.h"

SoftDisplayTable softDisplays("dd");
SoftSurfaceTable softSurfaces("surface");
SoftPaletteTable softPalettes("palette");

namespace {

int misuses = 0;
int unreleasedSurfaces = 0;
SoftDisplay* exclusiveOwner = nullptr;

}  // namespace

bool SoftUsable(const SoftObject* object) {
  if (object != nullptr && object->state == SoftState::Live) return true;
  ++misuses;
  return false;
}

void SoftCountMisuse() { ++misuses; }

SoftDisplay* SoftExclusiveOwner() { return exclusiveOwner; }

void SoftSetExclusiveOwner(SoftDisplay* display) { exclusiveOwner = display; }

void SoftNoteUnreleased(const SoftSurface* surface) {
  if (surface->object.state == SoftState::Live && surface->object.references > 0)
    ++unreleasedSurfaces;
}

// Every pointer handed out before becomes meaningless.
void SoftDirectDrawReset() {
  for (int i = 0; i < softSurfaces.Used(); ++i) delete[] softSurfaces[i].pixels;
  softDisplays.Reset();
  softSurfaces.Reset();
  softPalettes.Reset();
  misuses = 0;
  unreleasedSurfaces = 0;
  exclusiveOwner = nullptr;
}

int SoftDirectDrawLiveObjects() {
  return softDisplays.Live() + softSurfaces.Live() + softPalettes.Live();
}

int SoftDirectDrawMisuses() { return misuses; }

int SoftDirectDrawUnreleasedSurfaces() { return unreleasedSurfaces; }

void SoftDirectDrawLoseSurfaces() {
  for (int i = 0; i < softSurfaces.Used(); ++i)
    if (softSurfaces[i].object.state == SoftState::Live) softSurfaces[i].lost = true;
}
