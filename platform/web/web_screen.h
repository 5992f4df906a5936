// The web host's own seams between its files: the start-up, the screen and
// the page's events.
#pragma once

// Called by HostOpenScreen once the canvas is ready: starts following the
// page's keys, focus and visibility.
void WebEventsListen();

// Called by the start-up after WinMain returns: the page's keys, focus and
// visibility are no longer followed, and the canvas is let go.
void WebEventsStop();
void WebScreenClose();
