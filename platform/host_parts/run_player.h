// The player's controls, for every host alike: a run played back the way
// people watch a video. The user pauses (the host's own pause), steps,
// seeks, changes the speed and takes over; the position is the frame the
// screen shows, counted from 1 as the run's frames are.
//
// A seek lands exactly: the frames on the way are computed by the program
// as ever, only neither shown nor waited for. A later frame is reached by
// playing on; an earlier one by ending the program and starting it again
// from its first frame (the host's start-up sees RunPlayerRestarting and
// calls WinMain anew on a reset platform, keeping its screen). While a
// seek is under way (RunPlayerBusy) the host neither presents, nor sleeps,
// nor holds the program for a pause.
//
// Taking over hands the keys to the user at the frame shown: the program
// goes on from there as a live run, and the recording (started with
// RunRecorderRestart) holds the replay's first frames and then the user's.
#pragma once

#include <cstddef>
#include <cstdint>

#include "run_recorder.h"

enum RunSpeed {
  RUN_SPEED_QUARTER,
  RUN_SPEED_HALF,
  RUN_SPEED_NORMAL,
  RUN_SPEED_DOUBLE,
  RUN_SPEED_QUADRUPLE,
  RUN_SPEED_FASTEST,  // no pause between frames; a frame shown about every display refresh
  RUN_SPEED_COUNT,
};

enum {
  RUN_FRAMES_PER_SECOND = 30,
  RUN_SKIP_FRAMES = 10 * RUN_FRAMES_PER_SECOND,  // J and L
  // RunPlayerKey's codes for the keys that type no character.
  RUN_KEY_HOME = 1,
  RUN_KEY_END = 2,
};

enum class RunKeyEffect {
  Ignored,     // not one of the player's keys, or no run plays
  Taken,
  TakenPaused, // a step: the host pauses first, if it is not paused
};

// Called by a host for the user's seek (the page's Position, the keys):
// the picture is to become `frame` (clamped to the run) as playing the run
// from its start shows it. A seek to the last frame pauses there
// (RunPlayerTakePause), so that the run does not end at once.
void RunPlayerSeek(RunPlayer* player, int frame);

// The frame a seek under way lands on, or else the one shown: where steps
// and skips count from.
int RunPlayerPosition(const RunPlayer& player);

// Called by a host for the speed the user picks; clamped to the speeds.
void RunPlayerSetSpeed(RunPlayer* player, int speed);

// Called by both hosts with the player's keys: '.' and ',' step a frame,
// '>' and '<' change the speed, 'j' and 'l' (either case) skip ten
// seconds, '0' to '9' jump to that tenth of the run, 't' takes over, and
// RUN_KEY_HOME and RUN_KEY_END go to the first and last frames.
RunKeyEffect RunPlayerKey(RunPlayer* player, int key);

// Called by a host for the user's take-over: from the next pass after the
// frame shown (once a seek under way has landed; at a high speed, once the
// frame last computed is shown) the user's keys steer, and the player lets
// go of the run. False, doing nothing, when no run plays or the run's own
// quit request has already been handed out.
bool RunPlayerTakeOver(RunPlayer* player);

// Whether a run plays and the user has not taken over: what hosts show
// and how they take the user's keys. (The player lets go of the run only
// in the pass that hands the keys over.)
bool RunPlayerReplaying(const RunPlayer& player);

// Called by RunPlayerPass, in a pass the player spends on a restart or a
// take-over instead of the run's keys, with the host's key reports
// already dropped: returns the new count.
int RunPlayerPassAside(RunPlayer* player, HostEvent* events, int count);

// Whether a seek is under way: the host presents nothing, sleeps not and
// waits for no pause.
bool RunPlayerBusy(const RunPlayer& player);

// Called by a host's HostPresent, with its clock in milliseconds: whether
// to show the frame of the last pass. A frame on a seek's way is not, nor,
// above twice the speed, one that comes sooner after the last shown than a
// display can show it; the last frame of the run and a seek's landing
// always are. A frame shown counts as the position from now on.
bool RunPlayerShows(RunPlayer* player, std::int64_t nowMs);

// Called by a host's HostSleep, with its clock in milliseconds: how long
// the program's pause between frames lasts instead. At 1x it is the
// program's own; at other speeds until the next frame is due; during a
// seek, and as fast as can be, none.
std::uint32_t RunPlayerSleepMs(RunPlayer* player, std::uint32_t milliseconds, std::int64_t nowMs);

// Called by a host when the user pauses: a frame computed but not shown
// (at a high speed) is shown first, so that what the screen holds is the
// position.
void RunPlayerPausing(RunPlayer* player);

// Called by a host before it would hold for a pause: true once after a
// seek landed on the run's last frame, where the host pauses.
bool RunPlayerTakePause(RunPlayer* player);

// Called by a host's start-up after WinMain returned: the program ended
// to be started again for a seek backwards.
bool RunPlayerRestarting(const RunPlayer& player);

// Called by a host's start-up after it reset the platform, before WinMain
// again: the run plays from its first pass.
void RunPlayerRestart(RunPlayer* player);

// "frame 12 of 300, 0:00 of 0:10", with the speed when it is not 1x
// (", at 2x"), for a host's window title; cut to size.
void RunPlayerPositionText(const RunPlayer& player, char* text, std::size_t size);

// Called by a host before WinMain to record what a replay plays (and,
// after a take-over, what the user adds), and again before each restart:
// a recording with the played run's generator, seed and picture. Unlike
// RunRecorderStart, it keeps the room it reserved before.
void RunRecorderRestart(RunRecorder* recorder, const RunFile& played);
