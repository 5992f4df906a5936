// The SDL host's screen, shared by the files of this host only: the start-up
// sets it up and closes it, the event pump hands it window changes and the
// user's Alt+Enter and F12.
#pragma once

#include "portable/host.h"

union SDL_Event;

// Called by main before WinMain, from the command line: whether the screen
// opens as a window rather than full screen, whether the picture is scaled
// by whole multiples only, and the folder screenshots go to ("" for the
// current one; the text is copied).
void SdlScreenConfigure(bool startInWindow, bool integerScaling, const char* shotsFolder);

// Called by HostPumpEvents for every window event: keeps the picture's
// place up to date and follows minimising and, in full screen, the focus.
// Returns true with *reported set when the event changes whether the
// program holds the screen (DisplayLost, DisplayReturned).
bool SdlScreenWindowEvent(const SDL_Event& event, HostEvent* reported);

// Whether the event pump waits for events instead of polling: the program
// has lost the screen (minimised, or switched away from in full screen) or
// is paused and no replay's seek is under way, and is not ending. (A seek
// waits while the screen is lost: its frames could not be shown.)
bool SdlScreenWaitsForEvents(bool seeking);

// Called by the event pump when it reports a quit request: the program
// needs a few more passes of its loop to end, hidden or not, so the pump no
// longer waits. A screen opened anew has had no such request.
void SdlScreenQuitRequested();

// Called by the event pump when the user pauses or resumes. While paused
// the pump waits and the last frame stays on the screen (the title says
// so); whether the program holds the screen is reported again only on
// resuming: returns true with *reported set when that changed meanwhile.
bool SdlScreenSetPaused(bool paused, HostEvent* reported);
bool SdlScreenPaused();

// Called by the run player's part (sdl_runs.h): text the window's title
// carries after the program's own (the text is copied).
void SdlScreenSetTitleNote(const char* note);

// Called by the event pump for Alt+Enter: full screen becomes a window and
// a window full screen. The program is told nothing; the last frame is
// shown again at once in the new place.
void SdlScreenToggleFullscreen();

// Called by main after WinMain returns, before SDL_Quit: closes the pads,
// forgets every held key and ends the texture, renderer and window,
// whichever exist.
void SdlScreenClose();
