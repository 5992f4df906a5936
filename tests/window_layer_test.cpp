// The window, message and key layer on a fresh headless platform: Win32's
// queue rules, window creation and destruction, the host's events (close,
// keys, a lost display), time and debug text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "headless.h"
#include "platform.h"
#include "portable/process_control.h"

namespace {

// What the test window's procedure saw, in order.
std::vector<UINT> seen;
LRESULT createAnswer = 0;

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  seen.push_back(message);
  if (message == WM_CREATE) return createAnswer;
  if (message == WM_DESTROY) PostQuitMessage(7);
  if (message == WM_USER) return static_cast<LRESULT>(wParam) * 2;
  return DefWindowProcA(window, message, wParam, lParam);
}

class WindowLayer : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(Begin(HeadlessConfig())); }
  void TearDown() override { HeadlessEnd(); }

  // A fresh platform set up by config, with the recording window class.
  static bool Begin(const HeadlessConfig& config) {
    HeadlessBegin(config);
    seen.clear();
    createAnswer = 0;
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = RecordingProc;
    windowClass.lpszClassName = "VORNCLASS";
    return RegisterClassA(&windowClass) != 0;
  }

  static HWND Create(DWORD style = WS_POPUP | WS_VISIBLE) {
    return CreateWindowExA(0, "VORNCLASS", "Vorn", style, 0, 0, 640, 480, nullptr, nullptr,
                           nullptr, nullptr);
  }

  // The message the next PM_REMOVE peek hands out, or 0 for none.
  static UINT Next(MSG* message) {
    return PeekMessageA(message, nullptr, 0, 0, PM_REMOVE) ? message->message : 0;
  }
};

TEST_F(WindowLayer, PostedMessagesComeFirstInOrderAndQuitOnlyWhenNonePending) {
  HWND window = Create();
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(PostMessageA(window, WM_USER, 1, 0));
  PostQuitMessage(3);
  ASSERT_TRUE(PostMessageA(window, WM_USER, 2, 0));
  ASSERT_TRUE(PostMessageA(nullptr, WM_USER + 1, 0, 0));  // a thread message
  MSG message = {};
  ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(message.wParam, 1u);
  EXPECT_EQ(PlatformCountsNow().pendingMessages, 3);
  ASSERT_EQ(Next(&message), static_cast<UINT>(WM_USER));
  EXPECT_EQ(message.wParam, 1u);
  EXPECT_EQ(DispatchMessageA(&message), 2);
  ASSERT_EQ(Next(&message), static_cast<UINT>(WM_USER));
  EXPECT_EQ(message.wParam, 2u);
  ASSERT_EQ(Next(&message), static_cast<UINT>(WM_USER + 1));
  EXPECT_EQ(message.hwnd, nullptr);
  EXPECT_EQ(DispatchMessageA(&message), 0);
  ASSERT_EQ(Next(&message), static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(message.wParam, 3u);
  EXPECT_EQ(Next(&message), 0u);  // the quit request was consumed
}

// Filtering by window or message range is not offered: such a peek finds
// nothing and leaves the queue as it was.
TEST_F(WindowLayer, FilteredPeeksFindNothing) {
  HWND window = Create();
  ASSERT_TRUE(PostMessageA(window, WM_USER, 1, 0));
  MSG message = {};
  EXPECT_FALSE(PeekMessageA(&message, window, 0, 0, PM_REMOVE));
  EXPECT_FALSE(PeekMessageA(&message, nullptr, WM_USER, WM_USER, PM_REMOVE));
  EXPECT_EQ(PlatformCountsNow().pendingMessages, 1);
  EXPECT_EQ(Next(&message), static_cast<UINT>(WM_USER));
}

TEST_F(WindowLayer, AFullQueueRefusesPostsAndDrainsInOrder) {
  HWND window = Create();
  int accepted = 0;
  for (int i = 0; i < 10001; ++i) accepted += PostMessageA(window, WM_USER, i, 0);
  EXPECT_EQ(accepted, 10000);
  MSG message = {};
  for (int i = 0; i < 10000; ++i) {
    ASSERT_EQ(Next(&message), static_cast<UINT>(WM_USER));
    ASSERT_EQ(message.wParam, static_cast<WPARAM>(i));
  }
  EXPECT_EQ(Next(&message), 0u);
  EXPECT_TRUE(PostMessageA(window, WM_USER, 0, 0));  // the ring wrapped cleanly
}

TEST_F(WindowLayer, CloseDestroysTheWindowSendingDestroyAndDropsItsMessages) {
  HWND window = Create();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(seen, std::vector<UINT>{WM_CREATE});  // sent before CreateWindowExA returned
  ASSERT_TRUE(PostMessageA(window, WM_USER, 0, 0));
  MSG close = {window, WM_CLOSE, 0, 0, 0, {0, 0}};
  EXPECT_EQ(DispatchMessageA(&close), 0);
  EXPECT_EQ(seen, (std::vector<UINT>{WM_CREATE, WM_CLOSE, WM_DESTROY}));
  EXPECT_EQ(PlatformCountsNow().pendingMessages, 0);
  EXPECT_FALSE(PostMessageA(window, WM_USER, 0, 0));
  EXPECT_FALSE(DestroyWindow(window));
  MSG message = {};
  ASSERT_EQ(Next(&message), static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(message.wParam, 7u);
}

TEST_F(WindowLayer, CreationNeedsAClassAScreenAndAWillingProcedure) {
  WNDCLASSA again = {};
  again.lpfnWndProc = RecordingProc;
  again.lpszClassName = "vornclass";  // class names ignore case
  EXPECT_EQ(RegisterClassA(&again), 0);
  again.lpszClassName = "OTHER";
  ATOM atom = RegisterClassA(&again);
  ASSERT_NE(atom, 0);  // classes are found by name only
  EXPECT_EQ(CreateWindowExA(0, MAKEINTRESOURCEA(atom), "x", WS_POPUP, 0, 0, 640, 480, nullptr,
                            nullptr, nullptr, nullptr),
            nullptr);
  EXPECT_EQ(CreateWindowExA(0, "NOSUCHCLASS", "x", WS_POPUP | WS_VISIBLE, 0, 0, 640, 480, nullptr,
                            nullptr, nullptr, nullptr),
            nullptr);
  createAnswer = -1;
  EXPECT_EQ(Create(), nullptr);
  EXPECT_EQ(seen, (std::vector<UINT>{WM_CREATE, WM_DESTROY}));
  HeadlessResult result = HeadlessEnd();
  EXPECT_TRUE(result.windowOpened);

  HeadlessConfig config;
  config.faults.push_back({"HostOpenScreen"});
  ASSERT_TRUE(Begin(config));
  EXPECT_EQ(Create(), nullptr);
  EXPECT_TRUE(seen.empty());
  EXPECT_NE(Create(WS_POPUP), nullptr);  // an invisible window needs no screen
  EXPECT_FALSE(HeadlessEnd().windowOpened);
}

TEST_F(WindowLayer, TheHostsCloseRequestBecomesCloseForTheScreenWindow) {
  HWND hidden = Create(WS_POPUP);
  HWND window = Create();
  ASSERT_NE(hidden, nullptr);
  HeadlessRequestClose();
  MSG message = {};
  ASSERT_EQ(Next(&message), static_cast<UINT>(WM_CLOSE));
  EXPECT_EQ(message.hwnd, window);
  EXPECT_TRUE(HeadlessPostToMainWindow(WM_USER, 5, 0));
  ASSERT_EQ(Next(&message), static_cast<UINT>(WM_USER));
  EXPECT_EQ(message.hwnd, window);
}

// The program's window is in front exactly while it holds the display.
TEST_F(WindowLayer, ALostDisplayMakesTheScreenWindowIconicUntilItReturns) {
  HWND hidden = Create(WS_POPUP);
  HWND window = Create();
  EXPECT_EQ(GetForegroundWindow(), window);
  EXPECT_FALSE(IsIconic(window));
  HeadlessLoseDisplay();
  EXPECT_EQ(GetForegroundWindow(), nullptr);
  EXPECT_TRUE(IsIconic(window));
  EXPECT_FALSE(IsIconic(hidden));
  HeadlessRegainDisplay();
  EXPECT_EQ(GetForegroundWindow(), window);
  EXPECT_FALSE(IsIconic(window));
}

TEST_F(WindowLayer, KeysCursorTimeAndDebugTextComeFromTheHost) {
  EXPECT_EQ(GetAsyncKeyState(VK_ESCAPE), 0);
  HeadlessHoldKey(VK_ESCAPE, true);
  EXPECT_TRUE(GetAsyncKeyState(VK_ESCAPE) & 0x8000);
  EXPECT_LT(GetAsyncKeyState(VK_ESCAPE), 0);
  EXPECT_EQ(GetAsyncKeyState(VK_SPACE), 0);
  EXPECT_EQ(GetAsyncKeyState(-1), 0);
  HeadlessHoldKey(VK_LEFT, true);
  HeadlessHoldKey(VK_ESCAPE, false);
  EXPECT_EQ(GetAsyncKeyState(VK_ESCAPE), 0);
  EXPECT_NE(GetAsyncKeyState(VK_LEFT), 0);
  HeadlessReleaseAllKeys();
  EXPECT_EQ(GetAsyncKeyState(VK_LEFT), 0);

  EXPECT_EQ(ShowCursor(FALSE), -1);
  EXPECT_EQ(ShowCursor(FALSE), -2);
  EXPECT_EQ(ShowCursor(TRUE), -1);
  EXPECT_NE(LoadIconA(nullptr, IDI_APPLICATION), nullptr);
  EXPECT_EQ(LoadIconA(nullptr, MAKEINTRESOURCE(101)), nullptr);
  EXPECT_NE(LoadCursorA(nullptr, IDC_ARROW), nullptr);
  EXPECT_NE(GetStockObject(BLACK_BRUSH), nullptr);

  Sleep(30);
  Sleep(45);
  OutputDebugStringA("vorn: something failed\n");
  HeadlessResult result = HeadlessEnd();
  EXPECT_EQ(result.sleptMs, 75);
  EXPECT_EQ(result.debugTexts, std::vector<std::string>{"vorn: something failed"});

  HeadlessConfig config;
  config.calendarSeconds = 1000000000;  // 2001-09-09 01:46:40 UTC
  HeadlessBegin(config);
  FILETIME time = {};
  GetSystemTimeAsFileTime(&time);
  std::uint64_t ticks = (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
  EXPECT_EQ(ticks, 126444736000000000ull);
}

}  // namespace
