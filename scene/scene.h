// The scene driver: what happens at start-up, in every frame and at shutdown.
#pragma once

// Called once by WinMain. Returns 1 when the display is open and the scene
// is ready, 0 when start-up failed (SceneShutdown still runs).
int SceneInit();

// Called once per message-loop pass: quit-key test, clear, stars, rocks,
// flip, 30 ms pause. Returns 1.
int SceneFrame();

// Called once by WinMain at the end, also after a failed start-up: releases
// the sprites and the display. Returns 1.
int SceneShutdown();
