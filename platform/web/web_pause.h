// Pausing in a browser: the user's pause (P, Pause, a pad's Back, the
// page's Pause control) and the page's own while it is hidden. While
// either holds, the program makes no frame and the picture stays on the
// last one shown; the program hears nothing of it (web_events.cpp holds
// back the keys meanwhile and tells the difference on resuming). Shared by
// the files of this host only.
#pragma once

// Called for the user's pause key, control or pad button: pauses, or
// resumes a pause of the user's.
void WebPauseToggle();

// Called when the page is hidden or shown: a hidden page holds the run, and
// one shown again goes on unless the user had paused it.
void WebPauseHide(bool hidden);

// Called when the page asks the run to end: nothing holds it any more, so
// that the program hears the request and ends as usual.
void WebPauseEnd();

// Whether the run is held now (by the user or by the page being hidden).
bool WebPaused();

// Called when a replay's seek needs the program to run while it is held
// (web_runs.h): a wait under way looks again.
void WebPauseNudge();

// Called by the event pump and the screen: waits while the run is held
// and no replay's seek is under way, taking no processor time (a
// connected pad is looked at a few times a second, so that its Back button
// can resume).
void WebPauseWait();
