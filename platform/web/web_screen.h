// The web host's own seams between its files: the start-up, the screen, the
// page's events and the gamepads (and web_keys.h, what holds the keys).
#pragma once

// Called by HostOpenScreen once the canvas is ready: starts following the
// page's keys, focus and visibility, and its gamepads.
void WebEventsListen();

// Called by the start-up after WinMain returns: the page's keys, focus and
// visibility are no longer followed, and the canvas is let go.
void WebEventsStop();
void WebScreenClose();

// Called by WebEventsListen: follows the page's gamepads coming and going
// (WebEventsStop ends it with the page's other listeners).
void WebGamepadsListen();

// Called by HostPresent once a frame has been shown, and while paused:
// reads the connected pads, if any, into the held keys; a pad's Back
// (Select) pauses or resumes.
void WebGamepadsRead();

// Whether any pad is connected.
bool WebGamepadsPresent();
