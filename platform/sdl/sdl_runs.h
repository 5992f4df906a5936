// Run files for the SDL host: --record writes the run when it ends, and
// --replay plays one back (platform/host_parts/run_recorder.h does the
// work; this wires it to the command line, the clock and the pump). Shared
// by the files of this host only.
#pragma once

#include <cstdint>

#include "portable/host.h"

// Called by main before SDL starts, with the paths of --record and
// --replay (null when not given). Loads and checks the run to play. False,
// after one line on standard error, when it cannot be played.
bool SdlRunsStart(const char* recordPath, const char* replayPath);

// Called at the end of HostPumpEvents with the events it hands out, which
// leave room for RUN_PASS_ROOM more: plays and records the pass. Returns
// the new count.
int SdlRunsPass(HostEvent* events, int count);

// Whether a run is being played: the keyboard and pads steer nothing.
bool SdlRunsReplaying();

// What HostCalendarSeconds gives: the played run's seed, or the second the
// program started in.
std::int64_t SdlRunsSeed();

// Called by main after WinMain returns: writes the recorded run. False,
// after one line on standard error, when it could not be written.
bool SdlRunsFinish();
