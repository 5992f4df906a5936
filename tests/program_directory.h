// Where the build puts ROCK8.BMP and the tools: beside the program that
// includes this (tests, the soak run, the benchmarks).
#pragma once

#include <unistd.h>

#include <string>

// The folder of the running program; "." when the system cannot say.
inline std::string ProgramDirectory() {
  char path[4096];
  ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return ".";
  std::string full(path, static_cast<std::size_t>(length));
  return full.substr(0, full.find_last_of('/'));
}
