#include "call_trace.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

struct ArmedFault {
  char name[64];
  FaultMode mode;
  int skip;
  bool spent;
};

enum { MAX_FAULTS = 32 };

ArmedFault faults[MAX_FAULTS];
int faultCount = 0;
bool logging = false;
std::vector<std::string> callLog;
std::int64_t watchdogLimit = 0;
std::int64_t callsThisPass = 0;
void (*hangHandler)() = nullptr;

void UpdateActive() { traceActive = logging || faultCount > 0 || watchdogLimit > 0; }

// "Blt" matches every Blt; "Blt:COLORFILL" only the colour-fill variant.
bool FaultMatches(const ArmedFault& fault, const char* name, const char* variant) {
  std::size_t nameLength = std::strlen(name);
  if (std::strncmp(fault.name, name, nameLength) != 0) return false;
  if (fault.name[nameLength] == '\0') return true;
  return fault.name[nameLength] == ':' && variant != nullptr &&
         std::strcmp(fault.name + nameLength + 1, variant) == 0;
}

bool FaultFires(const char* name, const char* variant) {
  bool fires = false;
  for (int i = 0; i < faultCount; ++i) {
    ArmedFault& fault = faults[i];
    if (fault.spent || !FaultMatches(fault, name, variant)) continue;
    if (fault.skip > 0) {
      --fault.skip;
      continue;
    }
    if (fault.mode == FaultMode::Once) fault.spent = true;
    fires = true;
  }
  return fires;
}

void LogCall(const char* name, const char* argsFormat, std::va_list args) {
  char arguments[256];
  std::vsnprintf(arguments, sizeof arguments, argsFormat, args);
  callLog.push_back(std::string(name) + "(" + arguments + ")");
}

}  // namespace

// The common case, nothing armed and nothing watched, costs this one test.
bool traceActive = false;

bool PlatformCall(const char* name, const char* variant, const char* argsFormat, ...) {
  if (!traceActive) return false;
  if (watchdogLimit > 0 && ++callsThisPass > watchdogLimit && hangHandler != nullptr) {
    callsThisPass = 0;
    hangHandler();
  }
  if (logging) {
    std::va_list args;
    va_start(args, argsFormat);
    LogCall(name, argsFormat, args);
    va_end(args);
  }
  return faultCount > 0 && FaultFires(name, variant);
}

bool TraceLogging() { return logging; }

bool TraceFaultFires(const char* name, const char* variant) {
  return faultCount > 0 && FaultFires(name, variant);
}

void TraceArmFault(const char* name, FaultMode mode, int skip) {
  if (faultCount == MAX_FAULTS) return;
  ArmedFault& fault = faults[faultCount++];
  std::snprintf(fault.name, sizeof fault.name, "%s", name);
  fault.mode = mode;
  fault.skip = skip;
  fault.spent = false;
  UpdateActive();
}

void TraceDisarmFaults() {
  faultCount = 0;
  UpdateActive();
}

void TraceSetLogging(bool on) {
  logging = on;
  UpdateActive();
}

void TraceSetWatchdog(std::int64_t callsPerPass) {
  watchdogLimit = callsPerPass;
  callsThisPass = 0;
  UpdateActive();
}

void TraceLoopPass() { callsThisPass = 0; }

void TraceSetHangHandler(void (*handler)()) { hangHandler = handler; }

const std::vector<std::string>& TraceLog() { return callLog; }

void TraceClearLog() { callLog.clear(); }
