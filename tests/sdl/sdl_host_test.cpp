// The SDL host's side of the contract: what it reports for SDL's events, on
// SDL's own event queue (no display needed).
#include <SDL.h>
#include <gtest/gtest.h>

#include <csignal>
#include <vector>

#include "portable/host.h"

namespace {

class SdlHost : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(SDL_Init(SDL_INIT_EVENTS), 0) << SDL_GetError(); }
  void TearDown() override { SDL_Quit(); }

  static void PushKey(Uint32 type, SDL_Scancode scancode, Uint8 repeat = 0) {
    SDL_Event event = {};
    event.type = type;
    event.key.keysym.scancode = scancode;
    event.key.repeat = repeat;
    SDL_PushEvent(&event);
  }

  static void PushWindow(SDL_WindowEventID id) {
    SDL_Event event = {};
    event.type = SDL_WINDOWEVENT;
    event.window.event = id;
    SDL_PushEvent(&event);
  }

  // One pump of at most capacity events, as (kind, virtual key) pairs.
  static std::vector<std::pair<HostEventKind, int>> Pump(int capacity) {
    std::vector<HostEvent> events(capacity);
    int count = HostPumpEvents(events.data(), capacity);
    std::vector<std::pair<HostEventKind, int>> reported;
    for (int i = 0; i < count; ++i) reported.emplace_back(events[i].kind, events[i].virtualKey);
    return reported;
  }
};

using Reported = std::vector<std::pair<HostEventKind, int>>;

TEST_F(SdlHost, KeysAreReportedByPlaceOnceEachWithoutRepeats) {
  PushKey(SDL_KEYDOWN, SDL_SCANCODE_LEFT);
  PushKey(SDL_KEYDOWN, SDL_SCANCODE_LEFT, 1);  // auto-repeat
  PushKey(SDL_KEYDOWN, SDL_SCANCODE_A);        // a key the program never reads
  PushKey(SDL_KEYDOWN, SDL_SCANCODE_ESCAPE);
  PushKey(SDL_KEYUP, SDL_SCANCODE_LEFT);
  PushWindow(SDL_WINDOWEVENT_FOCUS_LOST);
  EXPECT_EQ(Pump(16), (Reported{{HostEventKind::KeyDown, VK_LEFT},
                                {HostEventKind::KeyDown, VK_ESCAPE},
                                {HostEventKind::KeyUp, VK_LEFT},
                                {HostEventKind::AllKeysReleased, 0}}));
  EXPECT_TRUE(Pump(16).empty());
}

TEST_F(SdlHost, MinimisingLosesTheDisplayOnceAndRestoringReturnsIt) {
  PushWindow(SDL_WINDOWEVENT_MINIMIZED);
  PushWindow(SDL_WINDOWEVENT_MINIMIZED);
  PushWindow(SDL_WINDOWEVENT_RESTORED);
  PushWindow(SDL_WINDOWEVENT_RESTORED);
  PushWindow(SDL_WINDOWEVENT_SIZE_CHANGED);
  EXPECT_EQ(Pump(16),
            (Reported{{HostEventKind::DisplayLost, 0}, {HostEventKind::DisplayReturned, 0}}));
}

TEST_F(SdlHost, CloseQuitAndTerminationAreQuitRequestsAndWhatDoesNotFitWaits) {
  PushWindow(SDL_WINDOWEVENT_CLOSE);
  PushKey(SDL_KEYDOWN, SDL_SCANCODE_SPACE);
  PushKey(SDL_KEYUP, SDL_SCANCODE_SPACE);
  std::raise(SIGTERM);  // SDL turns it into SDL_QUIT
  EXPECT_EQ(Pump(2),
            (Reported{{HostEventKind::QuitRequested, 0}, {HostEventKind::KeyDown, VK_SPACE}}));
  EXPECT_EQ(Pump(2),
            (Reported{{HostEventKind::KeyUp, VK_SPACE}, {HostEventKind::QuitRequested, 0}}));
  EXPECT_TRUE(Pump(2).empty());
}

}  // namespace
