// The window layer's own controls, for hosts and tests.
#pragma once

// Forgets every window class, window, queued message and quit request, as a
// new process.
void WindowLayerReset();

// Messages posted and not yet fetched (WM_QUIT not counted).
int WindowLayerPendingMessages();

// Closes every file the program left open (a failed _lclose leaves one), as
// the end of its process would.
void KernelFilesReset();
