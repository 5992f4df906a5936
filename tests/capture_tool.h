// Helpers for tests of the capture tool: run it as its own process, read
// the frames it wrote back with a reader of their own.
#pragma once

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "kit.h"

inline ToolRun RunCaptureTool(const std::vector<std::string>& arguments,
                              const ScratchFolder& scratch, bool onTerminal = false) {
  return RunTool("vorn-capture", arguments, scratch, onTerminal);
}

// A written frame file, read back as a frame: the colour table becomes the
// palette (flags 0), rows top row first. False, with why, for a file that is
// not the 8-bit 640 x 480 BMP the tool promises.
inline bool ReadFrameFile(const std::string& path, HeadlessFrame* frame, std::string* why) {
  auto refuse = [why](const std::string& text) {
    *why = text;
    return false;
  };
  const Bytes bytes = ReadWholeFile(path);
  const std::size_t headBytes = 14 + 40 + 1024, pixelBytes = 640 * 480;
  if (bytes.size() != headBytes + pixelBytes) return refuse("size " + std::to_string(bytes.size()));
  const std::uint8_t* at = bytes.data();
  if (at[0] != 'B' || at[1] != 'M' || Le32(at + 2) != bytes.size() || Le32(at + 10) != headBytes)
    return refuse("file header");
  if (Le32(at + 14) != 40 || Le32(at + 18) != 640 || Le32(at + 22) != 480 || Le16(at + 26) != 1 ||
      Le16(at + 28) != 8 || Le32(at + 30) != 0 || Le32(at + 34) != pixelBytes)
    return refuse("info header");
  frame->width = 640;
  frame->height = 480;
  for (int i = 0; i < 256; ++i) {
    const std::uint8_t* entry = at + 54 + 4 * i;
    frame->palette[i] = {entry[2], entry[1], entry[0], 0};
  }
  frame->pixels.resize(pixelBytes);
  for (int y = 0; y < 480; ++y)
    std::memcpy(frame->pixels.data() + std::size_t(y) * 640,
                at + headBytes + std::size_t(479 - y) * 640, 640);
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
