// Gamepads for the SDL host, through SDL's game controller API and its own
// mapping database: the D-pad and the left stick are the arrows, Start and
// the East face button (B on an Xbox pad) are Escape, Back pauses. A pad may be plugged
// in or pulled out at any time. Shared by the files of this host only.
#pragma once

#include "held_keys.h"

union SDL_Event;

// Called by the event pump for every event: opens a pad plugged in, closes
// one pulled out and lets go of what it held, and turns a pad's buttons and
// stick into the keys they stand for. Writes the reports this makes for the
// program into reports (room for HELD_KEY_COUNT, owned by the caller) and
// returns how many; 0 for events that are no pad's.
int SdlPadsTranslate(const SDL_Event& event, HostEvent* reports);

// Whether the event is a pad's Back (Select) button going down: the
// host's pause, which the program never sees.
bool SdlPadsPausePressed(const SDL_Event& event);

// Called with HeldKeysForgetAll when keys can no longer be followed: what
// every pad holds counts as let go, until pressed or pushed again.
void SdlPadsForgetHeld();

// Called by SdlScreenClose, before SDL_Quit: closes every open pad.
void SdlPadsCloseAll();
