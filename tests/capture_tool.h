// Helpers for tests of the capture tool: run it as its own process, read
// the frames it wrote back with a reader of their own.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "scenario.h"

extern char** environ;

// A private folder, removed with everything in it at the end of the test.
struct ScratchFolder {
  std::string path;
  ScratchFolder() {
    std::string pattern = std::filesystem::temp_directory_path().string() + "/vorn-test-XXXXXX";
    if (mkdtemp(pattern.data()) != nullptr) path = pattern;
  }
  ~ScratchFolder() {
    std::error_code error;
    if (!path.empty()) std::filesystem::remove_all(path, error);
  }
  std::string operator/(const std::string& name) const { return path + "/" + name; }
};

struct ToolRun {
  int exitCode = -1;  // -1 when the tool did not exit normally
  std::string errors;  // what it wrote on standard error
};

inline std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Runs the capture tool built beside the test with the given arguments;
// standard output is dropped and standard error kept.
inline ToolRun RunCaptureTool(const std::vector<std::string>& arguments,
                              const ScratchFolder& scratch) {
  std::string tool = ProgramDirectory() + "/vorn-capture";
  std::string errorsPath = scratch / "tool-errors.txt";
  std::vector<char*> argv;
  argv.push_back(tool.data());
  std::vector<std::string> copies(arguments);
  for (std::string& argument : copies) argv.push_back(argument.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, errorsPath.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
  ToolRun run;
  pid_t child = 0;
  int status = 0;
  if (posix_spawn(&child, tool.c_str(), &actions, nullptr, argv.data(), environ) == 0 &&
      waitpid(child, &status, 0) == child && WIFEXITED(status))
    run.exitCode = WEXITSTATUS(status);
  posix_spawn_file_actions_destroy(&actions);
  run.errors = ReadWholeFile(errorsPath);
  return run;
}

inline std::uint32_t Le32(const std::string& bytes, std::size_t at) {
  return std::uint32_t(std::uint8_t(bytes[at])) | std::uint32_t(std::uint8_t(bytes[at + 1])) << 8 |
         std::uint32_t(std::uint8_t(bytes[at + 2])) << 16 |
         std::uint32_t(std::uint8_t(bytes[at + 3])) << 24;
}

// A written frame file, read back as a frame: the colour table becomes the
// palette (flags 0), rows top row first. False, with why, for a file that is
// not the 8-bit 640 x 480 BMP the tool promises.
inline bool ReadFrameFile(const std::string& path, HeadlessFrame* frame, std::string* why) {
  auto refuse = [why](const std::string& text) {
    *why = text;
    return false;
  };
  const std::string bytes = ReadWholeFile(path);
  const std::size_t headBytes = 14 + 40 + 1024, pixelBytes = 640 * 480;
  if (bytes.size() != headBytes + pixelBytes) return refuse("size " + std::to_string(bytes.size()));
  if (bytes.compare(0, 2, "BM") != 0 || Le32(bytes, 2) != bytes.size() ||
      Le32(bytes, 10) != headBytes)
    return refuse("file header");
  if (Le32(bytes, 14) != 40 || Le32(bytes, 18) != 640 || Le32(bytes, 22) != 480 ||
      (Le32(bytes, 26) & 0xFFFF) != 1 || (Le32(bytes, 26) >> 16) != 8 || Le32(bytes, 30) != 0 ||
      Le32(bytes, 34) != pixelBytes)
    return refuse("info header");
  frame->width = 640;
  frame->height = 480;
  for (int i = 0; i < 256; ++i) {
    const std::size_t at = 54 + 4 * std::size_t(i);
    frame->palette[i] = {BYTE(bytes[at + 2]), BYTE(bytes[at + 1]), BYTE(bytes[at]), 0};
  }
  frame->pixels.resize(pixelBytes);
  for (int y = 0; y < 480; ++y)
    std::memcpy(frame->pixels.data() + std::size_t(y) * 640,
                bytes.data() + headBytes + std::size_t(479 - y) * 640, 640);
  return true;
}

inline std::string FrameFileName(int number) {
  char name[32];
  std::snprintf(name, sizeof name, "frame-%04d.bmp", number);
  return name;
}

// How many frame-NNNN.bmp files the folder holds.
inline int CountFrameFiles(const std::string& folder) {
  int count = 0;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error))
    count += entry.path().filename().string().rfind("frame-", 0) == 0;
  return count;
}

inline bool SameColours(const PALETTEENTRY* a, const PALETTEENTRY* b) {
  for (int i = 0; i < 256; ++i)
    if (a[i].peRed != b[i].peRed || a[i].peGreen != b[i].peGreen || a[i].peBlue != b[i].peBlue)
      return false;
  return true;
}
