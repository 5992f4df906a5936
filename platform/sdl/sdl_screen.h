// The SDL host's screen, shared by the files of this host only: the event
// pump hands window changes here and the start-up closes the screen.
#pragma once

#include "portable/host.h"

union SDL_Event;

// Called by HostPumpEvents for every window event: keeps the scale up to
// date and follows minimising. Returns true with *reported set when the
// event changes whether the program holds the screen.
bool SdlScreenWindowEvent(const SDL_Event& event, HostEvent* reported);

// Called by main after WinMain returns, before SDL_Quit: ends the texture,
// renderer and window, whichever exist.
void SdlScreenClose();
