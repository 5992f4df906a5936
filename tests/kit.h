// The test kit: what the tests, the soak run, the fuzz targets and the
// benchmarks would otherwise each write for themselves. Free of GoogleTest,
// so that programs without it link it too; kit_fixtures.h adds the
// GoogleTest parts.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "headless.h"
#include "platform.h"
#include "program_folder.h"

using Bytes = std::vector<std::uint8_t>;

// ---- Files and folders ----

// A private folder, removed with everything in it when this ends. Made
// under base, or the system's temporary folder; path is empty when no
// folder could be made.
struct ScratchFolder {
  explicit ScratchFolder(const std::string& base = "");
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  std::string operator/(const std::string& name) const { return path + "/" + name; }

  std::string path;
};

// The working directory is folder until this ends, then what it was; ok
// tells whether the switch was made.
struct WorkingDirectory {
  explicit WorkingDirectory(const std::string& folder);
  ~WorkingDirectory();
  WorkingDirectory(const WorkingDirectory&) = delete;
  WorkingDirectory& operator=(const WorkingDirectory&) = delete;

  bool ok = false;
  std::string previous;
};

// The whole file; empty when it cannot be read.
Bytes ReadWholeFile(const std::string& path);

// A file the build puts beside the running program (ROCK8.BMP, the tools).
inline std::string BesideTheProgram(const std::string& name) {
  return ProgramFolder() + "/" + name;
}

// Little-endian numbers as file headers store them, starting at `at`.
std::uint32_t Le16(const void* at);
std::uint32_t Le32(const void* at);

// Reads every byte, so that a sanitizer build sees a buffer shorter than
// its owner claims.
void TouchEveryByte(const std::uint8_t* bytes, std::size_t count);

// A program built beside this one (make_rock_bmp, vorn-capture), run as its
// own process with standard output dropped and standard error kept; or,
// onTerminal, with both on a pseudo-terminal, whose text errors then holds.
struct ToolRun {
  int exitCode = -1;   // -1 when the program did not exit normally
  std::string errors;  // what it wrote on standard error
};
ToolRun RunTool(const std::string& name, const std::vector<std::string>& arguments,
                const ScratchFolder& scratch, bool onTerminal = false);

// ---- The program on the headless harness ----

// A run of the demo that finds its picture beside this program.
HeadlessConfig DemoConfig(std::int64_t seed = 1);

// Runs action at the start of pass `pass`, after the script set so far.
void AtPass(HeadlessConfig& config, int pass, std::function<void()> action);

// Holds Escape during frame `frame` only: frames 1..frame+1 are presented
// and the pass after the last one fetches WM_QUIT.
void QuitAfter(HeadlessConfig& config, int frame);

// Why a run did not end clean: it did not end on its own, or a DirectDraw
// object it made was not released exactly once (left alive, ended by its
// owner while the program held it, used or released after its end). Empty
// for a clean end. Says nothing of the exit code, which runs choose.
std::string UncleanEnd(const HeadlessResult& result);

// The recorded calls of this name, oldest first; only those made on object
// ("surface2") when one is given.
std::vector<const TraceCall*> CallsNamed(const HeadlessResult& result, const std::string& name,
                                         const std::string& object = "");
inline int CountCalls(const HeadlessResult& result, const std::string& name,
                      const std::string& object = "") {
  return static_cast<int>(CallsNamed(result, name, object).size());
}

// The palette indices stars are drawn with, one per speed class.
inline bool IsStarColour(std::uint8_t index) {
  return index == 236 || index == 239 || index == 242 || index == 245;
}

inline std::uint8_t PixelAt(const HeadlessFrame& frame, int x, int y) {
  return frame.pixels[static_cast<std::size_t>(y) * frame.width + x];
}

// ---- DirectDraw surfaces, driven directly ----

// The primary surface with one back buffer, as a page-flipped display
// needs. Tests that probe the checks on a description change its fields.
DDSURFACEDESC FlipChainDesc();

// A width x height off-screen surface in system memory, as sprites are.
DDSURFACEDESC OffscreenDesc(int width, int height);

// Such a surface made by dd; null when it is refused.
IDirectDrawSurface* CreateOffscreen(IDirectDraw* dd, int width, int height);

// A colour fill of the whole surface, or of rect.
HRESULT ColourFill(IDirectDrawSurface* surface, DWORD colour, RECT* rect = nullptr);

// Every row of the surface, pitch included, as a lock shows it; empty when
// the lock is refused.
Bytes SurfaceBytes(IDirectDrawSurface* surface, int* pitch = nullptr);

// The surface's pixels, rows without their padding; empty when the lock is
// refused.
Bytes SurfacePixels(IDirectDrawSurface* surface);

// Writes width x height pixels into the surface's rows; false when the
// lock is refused or the count does not match.
bool WriteSurfacePixels(IDirectDrawSurface* surface, const Bytes& pixels);

// A fresh headless platform with a window, the display object in exclusive
// mode at 640 x 480 x 8, and the flip chain with its back buffer: what the
// DirectDraw tests drive by hand.
struct TestDisplay {
  // HeadlessBegin(config), then each step; false at the first that fails.
  bool Open(const HeadlessConfig& config = HeadlessConfig());
  // HeadlessEnd: the pointers below mean nothing after this.
  HeadlessResult Close();
  IDirectDrawSurface* Offscreen(int width, int height) {
    return CreateOffscreen(dd, width, height);
  }

  HWND window = nullptr;
  IDirectDraw* dd = nullptr;
  IDirectDrawSurface* primary = nullptr;
  IDirectDrawSurface* back = nullptr;
};
