// Recording a run and playing one back, for every host alike.
//
// The demo reads its keys from the table the platform fills from what
// HostPumpEvents hands out, once per pass of its message loop; the pass
// then draws its frame (the last pass only fetches WM_QUIT). So the events
// a pump hands out are exactly what the coming frame's key reads will see,
// whatever the host: a host calls the player and then the recorder on them
// at the end of every HostPumpEvents, and each frame's keys are recorded
// as the frame saw them and played back as the frame will read them.
//
// Pauses and a lost display hold the pump and so hold the run: no pass, no
// frame. While recording or playing, a quit request is handed out once per
// run (the window is already closing after the first), so that a run plays
// back with the same passes.
#pragma once

#include <cstdint>

#include "held_keys.h"
#include "run_file.h"

enum {
  // Events RunPlayerPass may add to a pump's: every key's change and a
  // quit request.
  RUN_PASS_ROOM = HELD_KEY_COUNT + 1,
};

struct RunRecorder {
  bool on = false;
  RunFile run;               // keys grow by one entry a pass, up to RUN_MAX_FRAMES
  unsigned held = 0;         // what the program holds after the last pass
  int passes = 0;
  bool quitHandedOut = false;
  bool full = false;
  const char* notice = nullptr;  // one line for the user, taken by the host
};

struct RunPlayer {
  const RunFile* run = nullptr;  // the caller's, kept while playing
  unsigned held = 0;             // what the program was last told it holds
  int passes = 0;
  bool quitHandedOut = false;
  // The user's controls (run_player.h).
  int shown = 0;                 // the frame on the screen; 0 before the first
  int target = 0;                // the frame a seek lands on; 0 when none
  bool restarting = false;       // the program is asked to end and start again
  bool takingOver = false;       // the keys go to the user after the frame shown
  bool pauseAtLanding = false;   // the seek under way goes to the last frame
  bool pauseWanted = false;      // landed there: the host pauses
  int speed = 0;                 // a RunSpeed (run_player.h): 1x from RunPlayerStart
  bool justShown = false;        // the last frame was shown: the present since has ended
  std::int64_t shownAtMs = 0;    // the host's clock when the last present ended
  double dueMs = 0;              // when the frame after the last pause is due
};

// Called by a host before WinMain: records from the first pass on, with the
// seed HostCalendarSeconds will give and the picture the demo will read.
// Reserves room for every frame now, so no pass allocates.
void RunRecorderStart(RunRecorder* recorder, std::int64_t seed,
                      const std::uint8_t picture[SHA256_BYTES]);

// Called at the end of every HostPumpEvents, after RunPlayerPass, with the
// events about to be handed out: notes the keys they leave held as the
// coming frame's. Returns the count, less a repeated quit request. When the
// recording reaches RUN_MAX_FRAMES it stops, sets notice, and the run goes on.
int RunRecorderPass(RunRecorder* recorder, HostEvent* events, int count);

// Called by a host after WinMain returns: the run as recorded (the last
// pass drew no frame). False when no frame was drawn.
bool RunRecorderFinish(RunRecorder* recorder, RunFile* run);

// Called by a host while the run goes on (the page's "Share this run"):
// the run's first frames frames, as recorded so far. False when fewer
// were recorded, or none is asked for.
bool RunRecorderSoFar(const RunRecorder& recorder, int frames, RunFile* run);

// Called by a host before playing run: false, with one line in error,
// when this program draws other random numbers than the run's (the frames
// would be another run's). *samePicture tells whether picture, the digest
// of the picture at hand, is the run's; a run plays with another picture
// (the motion is the same), and the host says so.
bool RunPlayable(const RunFile& run, const std::uint8_t picture[SHA256_BYTES], bool* samePicture,
                 char error[RUN_ERROR_SIZE]);

// Called by a host before WinMain to play run (which must outlive the
// play): the host's own key reports are dropped from then on.
void RunPlayerStart(RunPlayer* player, const RunFile* run);

// Called at the end of every HostPumpEvents while playing, with room for
// RUN_PASS_ROOM more events: drops the host's key reports and adds the
// changes that make the program hold the run's keys for the coming frame,
// and the run's quit request in its pass. Returns the new count.
int RunPlayerPass(RunPlayer* player, HostEvent* events, int count);

// The keys run holds in frame (counted from 1); none after its last frame.
unsigned RunPlayerKeysAt(const RunFile& run, int frame);

// Whether the pass that draws frame must ask the program to quit: at the
// recorded close, or, for a run whose keys never quit, at its last frame,
// so that the program ends where the run ends.
bool RunPlayerQuitsAt(const RunFile& run, int frame);

// Called by a host before recording or playing, with its own
// HostProgramDirectory and HostDataDirectory: the digest of the ROCK8.BMP
// the demo will read (beside the program, in the data folder, then in the
// current folder, as the platform looks for it). False when there is none.
bool RunPictureDigest(const char* programDirectory, const char* dataDirectory,
                      std::uint8_t digest[SHA256_BYTES]);
