#include "kit.h"

#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

extern char** environ;

// A cross build's emulator, which runs the tools beside the tests
// (tests/CMakeLists.txt); the benchmarks and fuzz targets, which compile
// this file themselves, are never cross-built.
#ifndef VORN_TOOL_EMULATOR
#define VORN_TOOL_EMULATOR ""
#endif

ScratchFolder::ScratchFolder(const std::string& base) {
  std::error_code error;
  std::string pattern = base.empty() ? std::filesystem::temp_directory_path(error).string() : base;
  pattern += "/vorn-XXXXXX";
  if (mkdtemp(pattern.data()) != nullptr) path = pattern;
}

ScratchFolder::~ScratchFolder() {
  std::error_code error;
  if (!path.empty()) std::filesystem::remove_all(path, error);
}

WorkingDirectory::WorkingDirectory(const std::string& folder) {
  std::error_code error;
  previous = std::filesystem::current_path(error).string();
  ok = !error && chdir(folder.c_str()) == 0;
}

WorkingDirectory::~WorkingDirectory() {
  if (ok && chdir(previous.c_str()) != 0) std::abort();  // every later test would be misled
}

Bytes ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::uint32_t Le16(const void* at) {
  const auto* bytes = static_cast<const std::uint8_t*>(at);
  return std::uint32_t(bytes[0]) | std::uint32_t(bytes[1]) << 8;
}

std::uint32_t Le32(const void* at) {
  const auto* bytes = static_cast<const std::uint8_t*>(at);
  return Le16(bytes) | Le16(bytes + 2) << 16;
}

void TouchEveryByte(const std::uint8_t* bytes, std::size_t count) {
  volatile std::uint8_t sum = 0;
  for (std::size_t i = 0; i < count; ++i) sum = std::uint8_t(sum + bytes[i]);
}

ToolRun RunTool(const std::string& name, const std::vector<std::string>& arguments,
                const ScratchFolder& scratch, bool onTerminal) {
  std::string tool = BesideTheProgram(name);
  std::string errorsPath = scratch / "tool-errors.txt";
  std::vector<std::string> copies(arguments);
  // Under an emulator nothing hands a program of the target back to it on
  // exec: the emulator is run, given the tool.
  std::string emulator = VORN_TOOL_EMULATOR;
  std::vector<char*> argv;
  if (!emulator.empty()) argv.push_back(emulator.data());
  argv.push_back(tool.data());
  for (std::string& argument : copies) argv.push_back(argument.data());
  // util-linux's script runs the command line on a terminal of its own and
  // passes on what the terminal shows.
  std::string script = "/usr/bin/script", flags = "-qec", command, typescript = "/dev/null";
  for (char* word : argv) command += " '" + std::string(word) + "'";
  if (onTerminal) argv = {script.data(), flags.data(), command.data(), typescript.data()};
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, onTerminal ? 1 : 2, errorsPath.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (onTerminal)
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
  else
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  ToolRun run;
  pid_t child = 0;
  int status = 0;
  if (posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ) == 0 &&
      waitpid(child, &status, 0) == child && WIFEXITED(status))
    run.exitCode = WEXITSTATUS(status);
  posix_spawn_file_actions_destroy(&actions);
  Bytes errors = ReadWholeFile(errorsPath);
  run.errors.assign(errors.begin(), errors.end());
  return run;
}

HeadlessConfig DemoConfig(std::int64_t seed) {
  HeadlessConfig config;
  config.calendarSeconds = seed;
  config.programDirectory = ProgramFolder();
  return config;
}

void AtPass(HeadlessConfig& config, int pass, std::function<void()> action) {
  auto previous = config.onPass;
  config.onPass = [previous, pass, action](int now) {
    if (previous) previous(now);
    if (now == pass) action();
  };
}

void QuitAfter(HeadlessConfig& config, int frame) {
  auto previous = config.onPass;
  config.onPass = [previous, frame](int pass) {
    if (previous) previous(pass);
    HeadlessHoldKey(VK_ESCAPE, pass == frame);
  };
}

std::string UncleanEnd(const HeadlessResult& result) {
  std::string why;
  auto note = [&why](int count, const char* what) {
    if (count != 0) why += (why.empty() ? "" : ", ") + std::to_string(count) + " " + what;
  };
  if (result.hung) why = "the run did not end";
  note(result.liveObjectsAfter, "objects left alive");
  note(result.unreleasedSurfaces, "surfaces ended by their owner, never released");
  note(result.misuses, "calls on ended objects or releases past zero");
  return why;
}

std::vector<const TraceCall*> CallsNamed(const HeadlessResult& result, const std::string& name,
                                         const std::string& object) {
  std::vector<const TraceCall*> found;
  for (const TraceCall& call : result.calls)
    if (call.name == name && (object.empty() || call.Label("this") == object))
      found.push_back(&call);
  return found;
}

DDSURFACEDESC FlipChainDesc() {
  DDSURFACEDESC desc = {};
  desc.dwSize = sizeof desc;
  desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
  desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
  desc.dwBackBufferCount = 1;
  return desc;
}

DDSURFACEDESC OffscreenDesc(int width, int height) {
  DDSURFACEDESC desc = {};
  desc.dwSize = sizeof desc;
  desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
  desc.dwWidth = static_cast<DWORD>(width);
  desc.dwHeight = static_cast<DWORD>(height);
  desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
  return desc;
}

IDirectDrawSurface* CreateOffscreen(IDirectDraw* dd, int width, int height) {
  DDSURFACEDESC desc = OffscreenDesc(width, height);
  IDirectDrawSurface* surface = nullptr;
  return dd != nullptr && dd->CreateSurface(&desc, &surface, nullptr) == DD_OK ? surface : nullptr;
}

HRESULT ColourFill(IDirectDrawSurface* surface, DWORD colour, RECT* rect) {
  DDBLTFX fx = {};
  fx.dwSize = sizeof fx;
  fx.dwFillColor = colour;
  return surface->Blt(rect, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
}

namespace {

// Calls visit(row, desc) for every row of the locked surface; false when
// the lock is refused.
template <typename Visit>
bool ForEachRow(IDirectDrawSurface* surface, Visit visit) {
  DDSURFACEDESC desc = {};
  desc.dwSize = sizeof desc;
  if (surface == nullptr || surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr) != DD_OK)
    return false;
  auto* rows = static_cast<std::uint8_t*>(desc.lpSurface);
  for (DWORD y = 0; y < desc.dwHeight; ++y) visit(rows + y * desc.lPitch, desc);
  return surface->Unlock(desc.lpSurface) == DD_OK;
}

}  // namespace

Bytes SurfaceBytes(IDirectDrawSurface* surface, int* pitch) {
  Bytes bytes;
  bool read = ForEachRow(surface, [&](std::uint8_t* row, const DDSURFACEDESC& desc) {
    bytes.insert(bytes.end(), row, row + desc.lPitch);
    if (pitch != nullptr) *pitch = desc.lPitch;
  });
  return read ? bytes : Bytes();
}

Bytes SurfacePixels(IDirectDrawSurface* surface) {
  Bytes pixels;
  bool read = ForEachRow(surface, [&](std::uint8_t* row, const DDSURFACEDESC& desc) {
    pixels.insert(pixels.end(), row, row + desc.dwWidth);
  });
  return read ? pixels : Bytes();
}

bool WriteSurfacePixels(IDirectDrawSurface* surface, const Bytes& pixels) {
  std::size_t at = 0;
  bool fits = true;
  bool locked = ForEachRow(surface, [&](std::uint8_t* row, const DDSURFACEDESC& desc) {
    fits = fits && at + desc.dwWidth <= pixels.size();
    if (fits) std::copy(pixels.begin() + at, pixels.begin() + at + desc.dwWidth, row);
    at += desc.dwWidth;
  });
  return locked && fits && at == pixels.size();
}

bool TestDisplay::Open(const HeadlessConfig& config) {
  HeadlessBegin(config);
  *this = TestDisplay();
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.lpszClassName = "TEST";
  if (RegisterClassA(&windowClass) == 0) return false;
  window = CreateWindowExA(0, "TEST", "t", WS_POPUP | WS_VISIBLE, 0, 0, 640, 480, nullptr, nullptr,
                           nullptr, nullptr);
  DDSURFACEDESC desc = FlipChainDesc();
  DDSCAPS caps = {DDSCAPS_BACKBUFFER};
  return window != nullptr && DirectDrawCreate(nullptr, &dd, nullptr) == DD_OK &&
         dd->SetCooperativeLevel(window, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE) == DD_OK &&
         dd->SetDisplayMode(640, 480, 8) == DD_OK &&
         dd->CreateSurface(&desc, &primary, nullptr) == DD_OK &&
         primary->GetAttachedSurface(&caps, &back) == DD_OK;
}

HeadlessResult TestDisplay::Close() {
  *this = TestDisplay();
  return HeadlessEnd();
}
