// Portable declarations of the Win32 subset Vorn uses: the same names, types
// and values as the Windows headers, so the system's code compiles unchanged
// against either. Implemented in this folder on top of a host (host.h).
#pragma once

#include <cstddef>
#include <cstdint>

#define WINAPI
#define CALLBACK

typedef int BOOL;
typedef unsigned char BYTE;
typedef std::uint16_t WORD;
typedef std::uint32_t DWORD;
typedef std::int32_t LONG;
typedef std::uint32_t ULONG;
typedef std::int16_t SHORT;
typedef unsigned int UINT;
typedef char CHAR;
typedef std::uint16_t ATOM;
typedef std::int32_t HRESULT;
typedef std::uintptr_t WPARAM;
typedef std::intptr_t LPARAM;
typedef std::intptr_t LRESULT;
typedef void* LPVOID;
typedef void* HANDLE;
typedef void* HGDIOBJ;
typedef char* LPSTR;
typedef const char* LPCSTR;
typedef int HFILE;

#define FALSE 0
#define TRUE 1

#define DECLARE_HANDLE(name) \
  struct name##__ {          \
    int unused;              \
  };                         \
  typedef struct name##__* name
DECLARE_HANDLE(HWND);
DECLARE_HANDLE(HINSTANCE);
DECLARE_HANDLE(HICON);
DECLARE_HANDLE(HBRUSH);
DECLARE_HANDLE(HMENU);
DECLARE_HANDLE(HDC);
typedef HICON HCURSOR;

typedef struct tagRECT {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
} RECT, *LPRECT;

typedef struct tagPOINT {
  LONG x;
  LONG y;
} POINT;

typedef struct tagPALETTEENTRY {
  BYTE peRed;
  BYTE peGreen;
  BYTE peBlue;
  BYTE peFlags;
} PALETTEENTRY, *LPPALETTEENTRY;

#define PC_NOCOLLAPSE 0x04

// BMP file records, stored packed as in the file.
#pragma pack(push, 2)
typedef struct tagBITMAPFILEHEADER {
  WORD bfType;
  DWORD bfSize;
  WORD bfReserved1;
  WORD bfReserved2;
  DWORD bfOffBits;
} BITMAPFILEHEADER;
#pragma pack(pop)

typedef struct tagBITMAPINFOHEADER {
  DWORD biSize;
  LONG biWidth;
  LONG biHeight;
  WORD biPlanes;
  WORD biBitCount;
  DWORD biCompression;
  DWORD biSizeImage;
  LONG biXPelsPerMeter;
  LONG biYPelsPerMeter;
  DWORD biClrUsed;
  DWORD biClrImportant;
} BITMAPINFOHEADER;

#define BI_RGB 0

typedef LRESULT(CALLBACK* WNDPROC)(HWND, UINT, WPARAM, LPARAM);

typedef struct tagWNDCLASSA {
  UINT style;
  WNDPROC lpfnWndProc;
  int cbClsExtra;
  int cbWndExtra;
  HINSTANCE hInstance;
  HICON hIcon;
  HCURSOR hCursor;
  HBRUSH hbrBackground;
  LPCSTR lpszMenuName;
  LPCSTR lpszClassName;
} WNDCLASSA;

typedef struct tagMSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;
  POINT pt;
} MSG, *LPMSG;

typedef struct tagPAINTSTRUCT {
  HDC hdc;
  BOOL fErase;
  RECT rcPaint;
  BOOL fRestore;
  BOOL fIncUpdate;
  BYTE rgbReserved[32];
} PAINTSTRUCT, *LPPAINTSTRUCT;

#define OFS_MAXPATHNAME 128
typedef struct _OFSTRUCT {
  BYTE cBytes;
  BYTE fFixedDisk;
  WORD nErrCode;
  WORD Reserved1;
  WORD Reserved2;
  CHAR szPathName[OFS_MAXPATHNAME];
} OFSTRUCT, *LPOFSTRUCT;

typedef struct _FILETIME {
  DWORD dwLowDateTime;
  DWORD dwHighDateTime;
} FILETIME, *LPFILETIME;

#define MAKEINTRESOURCEA(i) ((LPSTR)((std::uintptr_t)((WORD)(i))))
#define MAKEINTRESOURCE MAKEINTRESOURCEA
#define IDI_APPLICATION MAKEINTRESOURCE(32512)
#define IDC_ARROW MAKEINTRESOURCE(32512)

#define CS_VREDRAW 0x0001
#define CS_HREDRAW 0x0002
#define CS_DBLCLKS 0x0008
#define CS_OWNDC 0x0020

#define WS_POPUP 0x80000000L
#define WS_VISIBLE 0x10000000L

#define WM_CREATE 0x0001
#define WM_DESTROY 0x0002
#define WM_PAINT 0x000F
#define WM_CLOSE 0x0010
#define WM_QUIT 0x0012
#define WM_USER 0x0400

#define PM_NOREMOVE 0x0000
#define PM_REMOVE 0x0001

#define SW_SHOWDEFAULT 10

#define BLACK_BRUSH 4

#define VK_SPACE 0x20
#define VK_ESCAPE 0x1B
#define VK_LEFT 0x25
#define VK_UP 0x26
#define VK_RIGHT 0x27
#define VK_DOWN 0x28

#define OF_READ 0x00000000
#define HFILE_ERROR ((HFILE)-1)
#define FILE_BEGIN 0
#define FILE_CURRENT 1
#define FILE_END 2

// user32
ATOM WINAPI RegisterClassA(const WNDCLASSA* windowClass);
HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x,
                            int y, int width, int height, HWND parent, HMENU menu,
                            HINSTANCE instance, LPVOID param);
BOOL WINAPI DestroyWindow(HWND window);
BOOL WINAPI IsIconic(HWND window);
HWND WINAPI GetForegroundWindow();
int WINAPI ShowCursor(BOOL show);
HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR iconName);
HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR cursorName);
BOOL WINAPI PeekMessageA(LPMSG message, HWND window, UINT filterMin, UINT filterMax,
                         UINT removeFlags);
BOOL WINAPI TranslateMessage(const MSG* message);
LRESULT WINAPI DispatchMessageA(const MSG* message);
LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
BOOL WINAPI PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void WINAPI PostQuitMessage(int exitCode);
HDC WINAPI BeginPaint(HWND window, LPPAINTSTRUCT paint);
BOOL WINAPI EndPaint(HWND window, const PAINTSTRUCT* paint);
SHORT WINAPI GetAsyncKeyState(int virtualKey);

// gdi32
HGDIOBJ WINAPI GetStockObject(int object);

// kernel32
void WINAPI Sleep(DWORD milliseconds);
void WINAPI GetSystemTimeAsFileTime(LPFILETIME systemTime);
void WINAPI OutputDebugStringA(LPCSTR text);
HFILE WINAPI OpenFile(LPCSTR fileName, LPOFSTRUCT openInfo, UINT style);
UINT WINAPI _lread(HFILE file, LPVOID buffer, UINT bytes);
LONG WINAPI _llseek(HFILE file, LONG offset, int origin);
HFILE WINAPI _lclose(HFILE file);

// The program's entry point, called by the portable start-up as the Windows
// runtime would call it.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandLine,
                   int showCommand);
