// Runs in a browser: every run is recorded, and one the page hands over (a
// run link's or a run file's text) is played back; the page's "Share this
// run" takes the frames shown so far (platform/host_parts/run_recorder.h
// does the work, this wires it to the page, the clock and the pump).
// Shared by the files of this host only.
#pragma once

#include <cstdint>

#include "portable/host.h"

// Called by the start-up before WinMain: starts recording and, when the
// page gave a run to play, reads and checks it. False, after the page has
// been told why, when that run cannot be played.
bool WebRunsStart();

// Called at the end of HostPumpEvents with the events it hands out, which
// leave room for RUN_PASS_ROOM more: plays and records the pass. Returns
// the new count.
int WebRunsPass(HostEvent* events, int count);

// Called by HostPresent once the canvas shows the frame of the last pass.
void WebRunsFrameShown();

// Whether a run is being played: the keyboard, touch and pads steer nothing.
bool WebRunsReplaying();

// What HostCalendarSeconds gives: the played run's seed, or the second the
// run started in.
std::int64_t WebRunsSeed();
