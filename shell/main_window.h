// The application shell's process-wide values.
#pragma once

#include "platform.h"

// Written once by WinMain after the window exists. The display takes the
// cooperative level for mainWindow; the scene posts its quit request to it.
extern HWND mainWindow;
extern HINSTANCE appInstance;

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
