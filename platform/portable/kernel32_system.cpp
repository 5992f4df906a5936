// Kernel services other than files: sleeping, calendar time, debug text.
#include <cstdint>

#include "call_trace.h"
#include "host.h"

// Called by the scene after every frame.
void WINAPI Sleep(DWORD milliseconds) {
  if (PlatformCall("Sleep", nullptr, TraceNumber("milliseconds", milliseconds))) return;
  HostSleep(milliseconds);
}

// Called once at start-up to seed the random draws: 100-ns intervals since
// 1601. A failing call reports that instant (zero) rather than leave the
// caller's record unwritten.
void WINAPI GetSystemTimeAsFileTime(LPFILETIME systemTime) {
  bool fail = PlatformCall("GetSystemTimeAsFileTime", nullptr, TraceGiven("time", systemTime));
  if (systemTime == nullptr) return;
  const std::uint64_t kUnixEpochAs1601 = 116444736000000000ull;
  std::uint64_t ticks =
      fail ? 0 : static_cast<std::uint64_t>(HostCalendarSeconds()) * 10000000ull + kUnixEpochAs1601;
  systemTime->dwLowDateTime = static_cast<DWORD>(ticks & 0xFFFFFFFFu);
  systemTime->dwHighDateTime = static_cast<DWORD>(ticks >> 32);
}

void WINAPI OutputDebugStringA(LPCSTR text) {
  if (PlatformCall("OutputDebugStringA", nullptr, TraceText("text", text))) return;
  if (text != nullptr) HostDebugText(text);
}
