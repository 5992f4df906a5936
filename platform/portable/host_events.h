// Where the host's reports reach the layers above it. Called by PeekMessageA
// on every pass of the program's message loop (and by the process control
// for a harness that reports something between passes): asks the host what
// happened and applies each event in order. A quit request becomes WM_CLOSE
// for the program's screen window; a lost display marks every surface lost
// and keeps them from being restored until the display returns; keys go to
// the table GetAsyncKeyState reads.
#pragma once

void HostEventsPump();
