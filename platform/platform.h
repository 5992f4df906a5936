// The only include through which Vorn's own code reaches platform names.
// On Windows these are the real <windows.h> and <ddraw.h>; elsewhere the
// portable declarations below, which spell the same subset the same way and
// are implemented by the software DirectDraw and window layer in portable/.
#pragma once

#if defined(_WIN32)
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <ddraw.h>
#else
#include "portable/win32_api.h"
#include "portable/ddraw_api.h"
#endif
