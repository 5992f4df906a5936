// The SDL host: what it reports for SDL's events, on SDL's own event queue;
// and its desktop comforts on SDL's offscreen video driver (no display
// needed): Alt+Enter and F12 never reach the program, the focus rules of a
// window and of full screen, the pump waiting while the screen is lost, F12
// saving the frame as presented, and a gamepad plugged in and out.
#include <SDL.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "png_read.h"
#include "portable/host.h"
#include "run_recorder.h"
#include "sdl_screen.h"

namespace {

using Reported = std::vector<std::pair<HostEventKind, int>>;

void PushKey(Uint32 type, SDL_Scancode scancode, Uint16 mod = KMOD_NONE, Uint8 repeat = 0) {
  SDL_Event event = {};
  event.type = type;
  event.key.keysym.scancode = scancode;
  event.key.keysym.mod = mod;
  event.key.repeat = repeat;
  SDL_PushEvent(&event);
}

void PushWindow(SDL_WindowEventID id) {
  SDL_Event event = {};
  event.type = SDL_WINDOWEVENT;
  event.window.event = id;
  SDL_PushEvent(&event);
}

// One pump of at most capacity events of the host's own (it keeps room for
// a run player's besides), as (kind, virtual key) pairs.
Reported Pump(int capacity = 16) {
  std::vector<HostEvent> events(static_cast<std::size_t>(capacity + RUN_PASS_ROOM));
  int count = HostPumpEvents(events.data(), capacity + RUN_PASS_ROOM);
  Reported reported;
  for (int i = 0; i < count; ++i) reported.emplace_back(events[i].kind, events[i].virtualKey);
  return reported;
}

class SdlHost : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(SDL_Init(SDL_INIT_EVENTS), 0) << SDL_GetError(); }
  void TearDown() override { SDL_Quit(); }
};

TEST_F(SdlHost, KeysAreReportedByPlaceOnceEachWithoutRepeats) {
  PushKey(SDL_KEYDOWN, SDL_SCANCODE_LEFT);
  PushKey(SDL_KEYDOWN, SDL_SCANCODE_LEFT, KMOD_NONE, 1);  // auto-repeat
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

// While paused the program hears nothing; on resuming it hears what
// changed meanwhile. A quit key resumes, so that it quits as usual, and a
// close request comes through at once.
TEST_F(SdlHost, APauseHoldsTheKeysBackAndResumingTellsWhatChanged) {
  PushKey(SDL_KEYDOWN, SDL_SCANCODE_LEFT);
  PushKey(SDL_KEYDOWN, SDL_SCANCODE_P);
  PushKey(SDL_KEYDOWN, SDL_SCANCODE_UP);
  PushKey(SDL_KEYUP, SDL_SCANCODE_UP);
  PushKey(SDL_KEYUP, SDL_SCANCODE_LEFT);
  PushKey(SDL_KEYDOWN, SDL_SCANCODE_DOWN);
  PushKey(SDL_KEYDOWN, SDL_SCANCODE_PAUSE);
  EXPECT_EQ(Pump(), (Reported{{HostEventKind::KeyDown, VK_LEFT},
                              {HostEventKind::KeyUp, VK_LEFT},
                              {HostEventKind::KeyDown, VK_DOWN}}));
  PushKey(SDL_KEYDOWN, SDL_SCANCODE_P);
  PushKey(SDL_KEYUP, SDL_SCANCODE_DOWN);
  PushKey(SDL_KEYDOWN, SDL_SCANCODE_ESCAPE);
  EXPECT_EQ(Pump(),
            (Reported{{HostEventKind::KeyDown, VK_ESCAPE}, {HostEventKind::KeyUp, VK_DOWN}}));
  PushKey(SDL_KEYUP, SDL_SCANCODE_ESCAPE);
  PushKey(SDL_KEYDOWN, SDL_SCANCODE_P);
  PushWindow(SDL_WINDOWEVENT_CLOSE);
  EXPECT_EQ(Pump(),
            (Reported{{HostEventKind::KeyUp, VK_ESCAPE}, {HostEventKind::QuitRequested, 0}}));
  EXPECT_TRUE(SdlScreenPaused());
  SdlScreenClose();
}

int FilesIn(const std::string& folder) {
  int count = 0;
  std::error_code error;
  for (auto it = std::filesystem::directory_iterator(folder, error);
       it != std::filesystem::directory_iterator(); ++it)
    ++count;
  return count;
}

class SdlDesktop : public ::testing::Test {
 protected:
  // Screenshots go to a folder of the test's own, gone at its end.
  void SetUp() override {
    std::string pattern = std::filesystem::temp_directory_path().string() + "/vorn-sdl-XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    shots = pattern;
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
  }
  void TearDown() override {
    SdlScreenClose();
    SDL_Quit();
    std::error_code error;
    if (!shots.empty()) std::filesystem::remove_all(shots, error);
  }

  // Opens the screen, full screen or a window, with screenshots going to
  // the test's folder, and empties the queue of what opening it caused.
  void Open(bool window) {
    SdlScreenConfigure(window, false, shots.c_str());
    ASSERT_TRUE(HostOpenScreen("Vorn Game Console", 640, 480));
    ASSERT_TRUE(HostSetDisplayMode(640, 480, 8));
    SDL_PumpEvents();
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
  }

  // Alt+Enter, pressed and let go, then the pump.
  static Reported ToggleByKeys() {
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_LALT);
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_RETURN, KMOD_LALT);
    PushKey(SDL_KEYUP, SDL_SCANCODE_RETURN, KMOD_LALT);
    PushKey(SDL_KEYUP, SDL_SCANCODE_LALT);
    return Pump();
  }

  std::string shots;
};

// The focus rule tells the modes apart: a window that loses the focus only
// lets go of the keys, full screen loses the display too.
TEST_F(SdlDesktop, AltEnterSwitchesModesUnseenAndFocusRulesFollow) {
  Open(true);
  PushKey(SDL_KEYDOWN, SDL_SCANCODE_LEFT);
  PushWindow(SDL_WINDOWEVENT_FOCUS_LOST);
  PushWindow(SDL_WINDOWEVENT_FOCUS_GAINED);
  EXPECT_EQ(Pump(), (Reported{{HostEventKind::KeyDown, VK_LEFT},
                              {HostEventKind::AllKeysReleased, 0}}));

  EXPECT_TRUE(ToggleByKeys().empty());
  PushWindow(SDL_WINDOWEVENT_FOCUS_LOST);
  EXPECT_EQ(Pump(), (Reported{{HostEventKind::AllKeysReleased, 0},
                              {HostEventKind::DisplayLost, 0}}));
  PushWindow(SDL_WINDOWEVENT_FOCUS_GAINED);
  EXPECT_EQ(Pump(), (Reported{{HostEventKind::DisplayReturned, 0}}));

  // The keypad's Enter too; and back to a window.
  PushKey(SDL_KEYDOWN, SDL_SCANCODE_KP_ENTER, KMOD_RALT);
  EXPECT_TRUE(Pump().empty());
  PushWindow(SDL_WINDOWEVENT_FOCUS_LOST);
  EXPECT_EQ(Pump(), (Reported{{HostEventKind::AllKeysReleased, 0}}));
}

TEST_F(SdlDesktop, HostKeysNeverReachTheProgram) {
  Open(false);
  testing::internal::CaptureStderr();  // F12 before any frame says so
  PushKey(SDL_KEYDOWN, SDL_SCANCODE_UP);
  PushKey(SDL_KEYDOWN, SDL_SCANCODE_RETURN);  // Enter alone is no key of the program's
  PushKey(SDL_KEYUP, SDL_SCANCODE_RETURN);
  PushKey(SDL_KEYDOWN, SDL_SCANCODE_F12);
  PushKey(SDL_KEYUP, SDL_SCANCODE_F12);
  PushKey(SDL_KEYUP, SDL_SCANCODE_UP);
  EXPECT_EQ(Pump(), (Reported{{HostEventKind::KeyDown, VK_UP}, {HostEventKind::KeyUp, VK_UP}}));
  EXPECT_TRUE(ToggleByKeys().empty());
  EXPECT_TRUE(ToggleByKeys().empty());
  testing::internal::GetCapturedStderr();
}

// Frames flipped by the program, then F12: the file holds the last one
// presented, palette and all.
TEST_F(SdlDesktop, F12SavesTheFrameAsPresented) {
  Open(true);
  testing::internal::CaptureStdout();
  std::vector<std::uint8_t> pixels(644 * 480);  // rows padded, as surfaces are
  PALETTEENTRY palette[256];
  for (int frame = 0; frame < 2; ++frame) {
    for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = std::uint8_t(i * 7 + frame);
    for (int i = 0; i < 256; ++i)
      palette[i] = {BYTE(i + frame), BYTE(255 - i), BYTE(i / 2), PC_NOCOLLAPSE};
    HostPresent(pixels.data(), 644, 640, 480, palette);
  }
  PushKey(SDL_KEYDOWN, SDL_SCANCODE_F12);
  EXPECT_TRUE(Pump().empty());
  const std::string printed = testing::internal::GetCapturedStdout();
  ASSERT_EQ(printed.rfind(shots + "/vorn-", 0), 0u) << printed;
  ASSERT_EQ(printed.back(), '\n');
  EXPECT_EQ(FilesIn(shots), 1);

  // The last frame's indices and its 256 colours, as they were.
  std::vector<std::uint8_t> rows, colours;
  for (int y = 0; y < 480; ++y)
    rows.insert(rows.end(), &pixels[std::size_t(y) * 644], &pixels[std::size_t(y) * 644 + 640]);
  for (const PALETTEENTRY& entry : palette)
    colours.insert(colours.end(), {entry.peRed, entry.peGreen, entry.peBlue});
  const StoredPng saved = ReadStoredPng(printed.substr(0, printed.size() - 1));
  EXPECT_EQ(saved.colourType, PNG_COLOR_TYPE_PALETTE);
  EXPECT_TRUE(saved.pixels == rows);
  EXPECT_TRUE(saved.palette == colours);
}

TEST_F(SdlDesktop, F12BeforeAnyFrameSaysSoAndSavesNothing) {
  Open(true);
  testing::internal::CaptureStderr();
  PushKey(SDL_KEYDOWN, SDL_SCANCODE_F12);
  EXPECT_TRUE(Pump().empty());
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "vorn: screenshot not saved: no frame has been shown yet\n");
  EXPECT_EQ(FilesIn(shots), 0);
}

// A pad plugged in while the demo runs: its D-pad and stick hold the arrows
// along with the keyboard, Start is Escape, pulling it out lets go.
TEST_F(SdlDesktop, GamepadsAreKeysFromPlugToUnplug) {
  // SDL hands pad events only to a program with the keyboard focus, which
  // the offscreen driver gives no window.
  SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
  ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER), 0) << SDL_GetError();
  Open(true);
  SDL_VirtualJoystickDesc pad = {SDL_VIRTUAL_JOYSTICK_DESC_VERSION,
                                 SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX,
                                 SDL_CONTROLLER_BUTTON_MAX};
  const int device = SDL_JoystickAttachVirtualEx(&pad);
  SDL_Joystick* joystick = SDL_JoystickOpen(device);
  EXPECT_TRUE(Pump().empty());  // plugged in and opened; nothing held
  SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_DPAD_LEFT, 1);
  EXPECT_EQ(Pump(), (Reported{{HostEventKind::KeyDown, VK_LEFT}}));
  SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_LEFTX, -20000);
  PushKey(SDL_KEYDOWN, SDL_SCANCODE_LEFT);
  PushKey(SDL_KEYUP, SDL_SCANCODE_LEFT);
  EXPECT_TRUE(Pump().empty());  // held by the pad all along
  SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_DPAD_LEFT, 0);
  SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_LEFTX, -16384);  // half way: rest
  SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_LEFTY, 16385);
  EXPECT_EQ(Pump(), (Reported{{HostEventKind::KeyDown, VK_DOWN}, {HostEventKind::KeyUp, VK_LEFT}}));
  SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_START, 1);
  EXPECT_EQ(Pump(), (Reported{{HostEventKind::KeyDown, VK_ESCAPE}}));
  SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_START, 0);
  EXPECT_EQ(Pump(), (Reported{{HostEventKind::KeyUp, VK_ESCAPE}}));

  // SDL lets go of an open pad's buttons and stick before it reports the
  // pad gone; those releases are held back (until SDL_Quit), so the host's
  // own are seen.
  SDL_JoystickClose(joystick);
  SDL_EventState(SDL_CONTROLLERAXISMOTION, SDL_IGNORE);
  SDL_JoystickDetachVirtual(device);
  EXPECT_EQ(Pump(), (Reported{{HostEventKind::KeyUp, VK_DOWN}}));
}

// Nothing to draw while the window cannot be seen: the pump waits for the
// next event rather than coming back empty-handed.
TEST_F(SdlDesktop, PumpWaitsWhileTheScreenIsLostUnlessTheProgramIsEnding) {
  Open(true);
  PushWindow(SDL_WINDOWEVENT_HIDDEN);
  EXPECT_EQ(Pump(), (Reported{{HostEventKind::DisplayLost, 0}}));
  const auto start = std::chrono::steady_clock::now();
  std::thread later([] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    PushWindow(SDL_WINDOWEVENT_SHOWN);
  });
  const Reported back = Pump();
  later.join();
  EXPECT_EQ(back, (Reported{{HostEventKind::DisplayReturned, 0}}));
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(250));
  // In sight again, an empty queue is answered at once.
  EXPECT_TRUE(Pump().empty());
  // Hidden and closed: the program is ending and needs its passes, so the
  // pump no longer waits (were it to, the window shown later would end it).
  PushWindow(SDL_WINDOWEVENT_HIDDEN);
  PushWindow(SDL_WINDOWEVENT_CLOSE);
  EXPECT_EQ(Pump(), (Reported{{HostEventKind::DisplayLost, 0}, {HostEventKind::QuitRequested, 0}}));
  std::thread rescue([] {
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    PushWindow(SDL_WINDOWEVENT_SHOWN);
  });
  EXPECT_TRUE(Pump().empty());
  rescue.join();
}

}  // namespace
