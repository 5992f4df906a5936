// Every portable platform call announces itself here before it does any
// work. The headless host uses this to log calls with their arguments, to
// make chosen calls fail, and to notice a program that stops coming back to
// its message loop. In the demo nothing is armed and the cost is one test.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class FaultMode { Once, Always };

// Returns true when the call must fail now (an armed fault). name is the
// platform's name for the call ("SetDisplayMode", "Blt"); variant, which may
// be null, narrows it ("COLORFILL" for a colour-fill Blt), and a fault armed
// as "Blt:COLORFILL" matches only that variant while "Blt" matches every Blt.
// argsFormat/... are printf-style and only formatted when logging is on.
bool PlatformCall(const char* name, const char* variant, const char* argsFormat, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 3, 4)))
#endif
    ;

// Whether anything is logged, armed or watched. While false PlatformCall
// returns false at once; the calls made thousands of times a frame (key
// reads, blits) test this inline first and skip the call altogether.
extern bool traceActive;
inline bool TraceActive() { return traceActive; }

// Whether calls are being logged: callers whose arguments are costly to
// describe (rectangles, records) build the text only when this is true.
bool TraceLogging();

// Consults the armed faults only: no log line, no watchdog count. For calls
// too frequent to log, such as the memory allocator.
bool TraceFaultFires(const char* name, const char* variant);

// Arming and logging, for the headless host and tests.
// skip: calls that match and pass before the fault starts to fire.
void TraceArmFault(const char* name, FaultMode mode, int skip = 0);
void TraceDisarmFaults();
void TraceSetLogging(bool on);
// Calls allowed between two PeekMessageA calls before the program is taken
// to hang (0: unlimited). PeekMessageA calls TraceLoopPass().
void TraceSetWatchdog(std::int64_t callsPerPass);
void TraceLoopPass();
// Called once when the watchdog fires; the headless host throws from it so
// a hung run ends as a test failure instead of hanging the test.
void TraceSetHangHandler(void (*handler)());
// One line per logged call: "Name(arguments)".
const std::vector<std::string>& TraceLog();
void TraceClearLog();
