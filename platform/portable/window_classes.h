// Window classes registered by name with RegisterClassA (user32_classes.cpp).
#pragma once

#include "call_trace.h"
#include "win32_api.h"

// The procedure of the class named name (case ignored), or null when no
// such class is registered.
WNDPROC WindowClassProcedure(LPCSTR name);

// A class name as a trace argument. Below 0x10000 a name pointer is an
// atom, which is recorded as a number and never read.
TraceArg WindowClassArg(const char* field, LPCSTR name);

// Forgets every class, as a new process.
void WindowClassesReset();
