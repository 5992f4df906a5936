// The keys the program reads, as held by each of a host's sources at once:
// the keyboard, a page's touch controls, every open gamepad. The program
// sees a key held while any source holds it, so a key is reported down when
// the first source takes it and up when the last one lets go. A part the
// hosts share (each has its own table, as one host is linked per program);
// it knows nothing of the platform above them.
#pragma once

#include "portable/host.h"

enum {
  HELD_KEYBOARD = 0,      // the keyboard's source; a host numbers its others from 1
  HELD_MAX_SOURCES = 10,  // the keyboard, touch controls and up to eight gamepads
  HELD_KEY_COUNT = 6,     // Escape, Space and the four arrows
};

// The bit that stands for virtualKey in a source's keys, or 0 for a key the
// program does not read.
unsigned HeldKeyBit(int virtualKey);

// The keys source holds now, as bits of HeldKeyBit.
unsigned HeldKeysOf(int source);

// Called by the event code whenever what source holds changes: it now holds
// exactly keys. Writes the KeyDown and KeyUp reports this makes for the
// program into reports (room for HELD_KEY_COUNT, owned by the caller) and
// returns how many.
int HeldKeysSet(int source, unsigned keys, HostEvent* reports);

// HeldKeysSet for one key: source now holds virtualKey (down) or has let
// it go, and holds its other keys as before.
int HeldKeyChange(int source, int virtualKey, bool down, HostEvent* reports);

// The KeyDown and KeyUp reports (room for HELD_KEY_COUNT) that take the
// program from holding before to holding after; returns how many.
int HeldKeysReportChange(unsigned before, unsigned after, HostEvent* reports);

// Whether reports take a quit key (Escape or Space) down: a host that
// holds the program back (a pause, a replay) lets such a press through.
bool HeldKeysQuitPressed(const HostEvent* reports, int count);

// The keys any source holds now: what the program has been told it holds,
// once the reports made so far are handed to it.
unsigned HeldKeysAll();

// Called when a host that held back its reports for a while (a pause)
// lets the program hear again: writes the KeyDown and KeyUp reports that
// take the program from holding before to holding HeldKeysAll() (room for
// HELD_KEY_COUNT) and returns how many.
int HeldKeysReportSince(unsigned before, HostEvent* reports);

// Called when keys can no longer be followed (the focus lost, the screen
// closed): no source holds anything, and nothing is reported; the caller
// reports AllKeysReleased where the program must hear of it.
void HeldKeysForgetAll();
