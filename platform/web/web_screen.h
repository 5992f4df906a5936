// The web host's own seams between its files: the start-up, the screen, the
// page's events and the gamepads.
#pragma once

// Called by HostOpenScreen once the canvas is ready: starts following the
// page's keys, focus and visibility, and its gamepads.
void WebEventsListen();

// Called by the start-up after WinMain returns: the page's keys, focus and
// visibility are no longer followed, and the canvas is let go.
void WebEventsStop();
void WebScreenClose();

// Whatever holds the program's keys: the keyboard, the page's touch
// controls, and each gamepad by its index in the page's list. A key counts
// as held while any of them holds it.
enum { WEB_KEYBOARD = 0, WEB_TOUCH = 1, WEB_FIRST_PAD = 2, WEB_MAX_PADS = 8,
       WEB_KEY_SOURCES = WEB_FIRST_PAD + WEB_MAX_PADS };

// The bit a virtual key has in a set of held keys, or 0 for a key the
// program does not read.
unsigned WebKeyBit(int virtualKey);

// Called by whatever reads a source: these keys (WebKeyBit bits) are what
// it holds now. Reports each key that goes down or up for the program.
void WebKeysHold(int source, unsigned keys);

// Called by WebEventsListen and WebEventsStop: follows the page's gamepads
// (connected or not), or no longer.
void WebGamepadsListen();

// Called by HostPresent once a frame has been shown: reads the connected
// pads, if any, into the held keys.
void WebGamepadsRead();
