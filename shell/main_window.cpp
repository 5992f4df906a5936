#include "main_window.h"

#include "scene.h"

HWND mainWindow = nullptr;
HINSTANCE appInstance = nullptr;

namespace {

const char kClassName[] = "VORNCLASS";
const char kWindowTitle[] = "Vorn Game Console";

int RegisterMainWindowClass(HINSTANCE instance) {
  WNDCLASSA windowClass;
  windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC;
  windowClass.lpfnWndProc = MainWindowProc;
  windowClass.cbClsExtra = 0;
  windowClass.cbWndExtra = 0;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  windowClass.lpszMenuName = nullptr;
  windowClass.lpszClassName = kClassName;
  return RegisterClassA(&windowClass) != 0;
}

// One frame per pass, whether or not a message came; at most one message
// per pass. Returns the exit code carried by WM_QUIT.
int RunMessageLoop() {
  MSG message = {};
  for (;;) {
    if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) break;
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    SceneFrame();
  }
  return static_cast<int>(message.wParam);
}

}  // namespace

// The program's entry point. Returns 0 after a normal quit and 1 when the
// window or the scene could not be set up.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  if (!RegisterMainWindowClass(instance)) {
    OutputDebugStringA("vorn: the window class could not be registered\n");
    return 1;
  }
  HWND window = CreateWindowExA(0, kClassName, kWindowTitle, WS_POPUP | WS_VISIBLE, 0, 0, 640,
                                480, nullptr, nullptr, instance, nullptr);
  if (window == nullptr) {
    OutputDebugStringA("vorn: the window could not be created\n");
    return 1;
  }
  ShowCursor(FALSE);
  mainWindow = window;
  appInstance = instance;

  int exitCode = 1;
  if (SceneInit()) exitCode = RunMessageLoop();
  SceneShutdown();
  return exitCode;
}

// The window procedure of the main window: the scene's quit request
// (WM_DESTROY) becomes the end of the message loop.
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      BeginPaint(window, &paint);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}
