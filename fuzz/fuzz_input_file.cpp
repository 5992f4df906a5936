#include "fuzz_input_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string folder;
std::string path;

void RemoveInput() {
  unlink(path.c_str());
  rmdir(folder.c_str());
}

// Memory-backed when the machine has it: the file is rewritten for every input.
void MakeFolder() {
  for (const char* base : {"/dev/shm", "/tmp"}) {
    std::string pattern = std::string(base) + "/vorn-fuzz-XXXXXX";
    if (mkdtemp(&pattern[0]) != nullptr) {
      folder = pattern;
      path = folder + "/ROCK8.BMP";
      std::atexit(RemoveInput);
      return;
    }
  }
  FuzzFail("no private folder for the input can be made");
}

}  // namespace

const char* FuzzWriteInput(const std::uint8_t* data, std::size_t size) {
  if (folder.empty()) MakeFolder();
  int file = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (file < 0) FuzzFail("the input file cannot be written");
  std::size_t written = 0;
  while (written < size) {
    ssize_t count = write(file, data + written, size - written);
    if (count <= 0) FuzzFail("the input file cannot be written");
    written += std::size_t(count);
  }
  close(file);
  return path.c_str();
}

const char* FuzzInputFolder() {
  if (folder.empty()) MakeFolder();
  return folder.c_str();
}

void FuzzFail(const char* what) {
  std::fprintf(stderr, "vorn fuzz: %s\n", what);
  std::abort();
}
