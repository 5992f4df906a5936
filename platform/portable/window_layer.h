// The window layer's own controls, for hosts and tests.
#pragma once

// Forgets every window class, window, queued message and quit request, as a
// new process.
void WindowLayerReset();

// Messages posted and not yet fetched (WM_QUIT not counted).
int WindowLayerPendingMessages();
