// Runs in a browser: every run is recorded, and one the page hands over (a
// run link's or a run file's text) is played back, with the player's
// controls; the page's "Share this run" takes the frames shown so far
// (platform/host_parts/run_recorder.h and run_player.h do the work, this
// wires them to the page, the clock and the pump).
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

// Called by HostPresent once the canvas shows the frame of the last pass:
// the page hears of each frame a replay shows.
void WebRunsFrameShown();

// Whether a run is being played (and the user has not taken over): the
// keyboard, touch and pads steer nothing.
bool WebRunsReplaying();

// Called by HostPresent first: whether to show this frame (run_player.h).
bool WebRunsShows();

// Called by HostSleep: how long to sleep instead of milliseconds.
std::uint32_t WebRunsSleepMs(std::uint32_t milliseconds);

// Whether a replay's seek is under way: no pause holds the program.
bool WebRunsBusy();

// Called by the pause when the user pauses: the canvas comes to show the
// replay's position.
void WebRunsPausing();

// Called by the event pump before a pause would hold: true once when a
// seek landed on the run's last frame, where the run pauses.
bool WebRunsTakePause();

// Called by the start-up after WinMain returns: whether the program ended
// for a seek backwards, to be started again.
bool WebRunsRestarting();

// Called by the start-up after it reset the platform, before WinMain
// again: the run plays from its start, and its recording begins again.
void WebRunsRestart();

// What HostCalendarSeconds gives: the played run's seed, or the second the
// run started in.
std::int64_t WebRunsSeed();
