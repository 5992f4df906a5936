// The software DirectDraw's controls, for the host events and the process
// control (the system's code never sees these).
#pragma once

// Ends every DirectDraw object and forgets the display, as a new process.
void SoftDirectDrawReset();

// DirectDraw objects (display objects, surfaces, palettes) not yet ended.
int SoftDirectDrawLiveObjects();

// Calls made on objects that had already ended, or releases past zero: each
// is a fault in the caller. Counted, never acted on.
int SoftDirectDrawMisuses();

// Surfaces that ended while the caller still held a reference to them,
// because their display object or their flip chain's primary ended first:
// each is a missing Release in the caller. Ending with the display object
// hides such a leak from the live count, so it is counted here.
int SoftDirectDrawUnreleasedSurfaces();

// The screen is taken away: every live surface becomes lost and reports
// DDERR_SURFACELOST until restored.
void SoftDirectDrawLoseSurfaces();

// Keyed blits work rows 32 pixels a step where the processor has AVX2, else
// 16. Tests turn the wider steps off to check the narrower ones on any
// machine; the setting stays until changed.
void SoftDirectDrawAllowWideSteps(bool allow);
