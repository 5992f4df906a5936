// The SDL host's screen, shared by the files of this host only: the input
// pump reports window changes here and the start-up closes the screen.
#pragma once

union SDL_Event;

// Called by HostPumpEvents for every window event: keeps the scale and the
// minimized state up to date.
void SdlScreenWindowEvent(const SDL_Event& event);

// Called by main after WinMain returns, before SDL_Quit: ends the texture,
// renderer and window, whichever exist.
void SdlScreenClose();
