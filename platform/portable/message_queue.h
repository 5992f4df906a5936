// The thread's message queue with Win32's rules: posted messages in order,
// one at a time; WM_QUIT only once nothing posted is pending. A fixed ring
// with Win32's limit of 10,000 posted messages.
#pragma once

#include "win32_api.h"

// Appends a message for a live window, or for the thread with a null
// window. False when the window is gone or the queue is full.
bool MessageQueuePost(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The oldest posted message, taken off the queue when remove is set; else
// the quit request (taken when remove is set); false when there is neither.
bool MessageQueueNext(MSG* message, bool remove);

// Asks for WM_QUIT with this exit code once the posted messages are gone.
void MessageQueueQuit(int exitCode);

// Drops the messages posted to a window that is being destroyed.
void MessageQueueForget(HWND window);

// Messages posted and not yet fetched (WM_QUIT not counted).
int MessageQueuePending();

void MessageQueueReset();
