#include "call_trace.h"

namespace {

struct ArmedFault {
  std::string name;
  std::string variant;  // "" matches every variant
  FaultMode mode;
  int skip;
  bool spent;
};

enum { MAX_FAULTS = 32 };

ArmedFault faults[MAX_FAULTS];
int faultCount = 0;
bool recording = false;
std::vector<TraceCall> callLog;
std::int64_t watchdogLimit = 0;
std::int64_t callsThisPass = 0;
void (*hangHandler)() = nullptr;
void (*passHandler)() = nullptr;

void UpdateActive() { traceActive = recording || faultCount > 0 || watchdogLimit > 0; }

bool FaultMatches(const ArmedFault& fault, const char* name, const char* variant) {
  return fault.name == name &&
         (fault.variant.empty() || (variant != nullptr && fault.variant == variant));
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

// Objects are named now: their tables may be gone by the time anyone reads
// the record.
TraceValue Keep(const TraceArg& arg) {
  TraceValue value = {arg.field, arg.kind, arg.given, arg.number, nullptr, {}, {}};
  if (!arg.given) return value;
  if (arg.kind == TraceKind::Object) {
    TraceObject object = arg.identify(arg.pointer);
    value.objectKind = object.kind;
    value.number = object.number;
  } else if (arg.kind == TraceKind::Text) {
    value.text = static_cast<const char*>(arg.pointer);
  } else if (arg.kind == TraceKind::Rect) {
    value.rect = *static_cast<const RECT*>(arg.pointer);
  }
  return value;
}

void Record(const char* name, const char* variant, const TraceArg* args, int count) {
  TraceCall call = {name, variant != nullptr ? variant : "", {}};
  call.arguments.reserve(count);
  for (int i = 0; i < count; ++i) call.arguments.push_back(Keep(args[i]));
  callLog.push_back(std::move(call));
}

}  // namespace

// The common case, nothing armed and nothing watched, costs this one test.
bool traceActive = false;

bool TraceAnnounce(const char* name, const char* variant, const TraceArg* args, int count) {
  if (watchdogLimit > 0 && ++callsThisPass > watchdogLimit && hangHandler != nullptr) {
    callsThisPass = 0;
    hangHandler();
  }
  if (recording) Record(name, variant, args, count);
  return faultCount > 0 && FaultFires(name, variant);
}

bool TraceFaultFires(const char* name, const char* variant) {
  return faultCount > 0 && FaultFires(name, variant);
}

void TraceArmFault(const char* name, const char* variant, FaultMode mode, int skip) {
  if (faultCount == MAX_FAULTS) return;
  faults[faultCount++] = {name, variant != nullptr ? variant : "", mode, skip, false};
  UpdateActive();
}

void TraceDisarmFaults() {
  faultCount = 0;
  UpdateActive();
}

void TraceSetRecording(bool on) {
  recording = on;
  UpdateActive();
}

const std::vector<TraceCall>& TraceLog() { return callLog; }

void TraceClearLog() { callLog.clear(); }

void TraceSetWatchdog(std::int64_t callsPerPass) {
  watchdogLimit = callsPerPass;
  callsThisPass = 0;
  UpdateActive();
}

void TraceSetHangHandler(void (*handler)()) { hangHandler = handler; }

void TraceLoopPass() {
  callsThisPass = 0;
  if (passHandler != nullptr) passHandler();
}

void TraceSetPassHandler(void (*handler)()) { passHandler = handler; }
