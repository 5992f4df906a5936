// Where the running program lives. The capture tool looks for ROCK8.BMP
// there first, as the demo looks beside itself; the tests, the soak run and
// the benchmarks find the picture and the tools built beside them the same way.
#pragma once

#include <string>

// The folder of the running program, without a trailing separator; worked
// out from argv0 when the system cannot say, and empty when neither can.
std::string ProgramFolder(const char* argv0 = nullptr);
