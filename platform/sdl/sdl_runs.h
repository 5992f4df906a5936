// Run files for the SDL host: --record writes the run when it ends, and
// --replay plays one back (platform/host_parts/run_recorder.h does the
// work; this wires it to the command line, the clock and the pump). Shared
// by the files of this host only.
#pragma once

#include <cstdint>

#include "portable/host.h"
#include "run_player.h"

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

// Called by the event pump with the player's keys (RunPlayerKey's, with
// RUN_KEY_HOME and RUN_KEY_END): what the key did; the position is named
// in the window's title at once.
RunKeyEffect SdlRunsKey(int key);

// Called by the event pump when the user pauses: the screen comes to show
// the position (run_player.h), and the title names it.
void SdlRunsPausing();

// Called by the event pump before it would wait: true once when a seek
// landed on the run's last frame, where the pump pauses.
bool SdlRunsTakePause();

// Called by HostPresent first: whether to show this frame (run_player.h);
// a frame shown is named in the window's title.
bool SdlRunsShows();

// Called by HostSleep: how long to sleep instead of milliseconds.
std::uint32_t SdlRunsSleepMs(std::uint32_t milliseconds);

// Whether a seek is under way: the pump neither waits nor holds a pause.
bool SdlRunsBusy();

// Called by main after WinMain returns: whether the program ended for a
// seek backwards, to be started again.
bool SdlRunsRestarting();

// Called by main after it reset the platform, before WinMain again: the
// run plays from its start, and its recording begins again.
void SdlRunsRestart();

// What HostCalendarSeconds gives: the played run's seed, or the second the
// program started in.
std::int64_t SdlRunsSeed();

// Called by main after WinMain returns: writes the recorded run. False,
// after one line on standard error, when it could not be written.
bool SdlRunsFinish();
