// The kernel32 file calls' open-file table (kernel32_files.cpp).
#pragma once

// Closes every file the program left open (a failed _lclose leaves one), as
// the end of its process would.
void KernelFilesReset();
