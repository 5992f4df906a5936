// The headless host's state for one run, shared by the host
// (headless_host.cpp) and the harness (headless_run.cpp) only.
#pragma once

#include "headless.h"
#include "portable/host.h"

struct HeadlessSession {
  HeadlessConfig config;
  HeadlessResult result;
  bool running;         // inside HeadlessRun: the pass limit applies
  HeadlessFrame frame;  // reused for every present when frames are not kept
};

extern HeadlessSession session;

// Queues an event the host reports at its next pump.
void HeadlessHostReport(HostEventKind kind, int virtualKey = 0);

// Forgets queued events and clears the result: the host as a new process.
void HeadlessSessionClear();
