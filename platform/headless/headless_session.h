// The headless host's state for one run, shared by its files only.
#pragma once

#include "headless.h"

struct HeadlessSession {
  HeadlessConfig config;
  HeadlessResult result;
  bool keys[256];
  bool displayActive;
  bool closeRequested;
  bool running;         // inside HeadlessRun: the pass limit applies
  HeadlessFrame frame;  // reused for every present when frames are not kept
};

extern HeadlessSession session;

// Thrown through the program by the pass limit and the watchdog, caught by
// HeadlessRun only: the program is abandoned where it stood.
struct HeadlessHang {};

// The watchdog's hang handler: throws HeadlessHang inside HeadlessRun only.
void HeadlessThrowHang();

// Forgets keys and requests and clears the result: the host as a new process.
void HeadlessSessionClear();
