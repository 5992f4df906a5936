#include "fuzz_input_file.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "bmp_writer.h"
#include "kit.h"

namespace {

// Memory-backed when the machine has it: the file is rewritten for every
// input. Removed at exit.
const std::string& Folder() {
  static ScratchFolder folder(std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "");
  if (folder.path.empty()) FuzzFail("no private folder for the input can be made");
  return folder.path;
}

}  // namespace

const char* FuzzWriteInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path = Folder() + "/ROCK8.BMP";
  if (!BmpWriteFile(path.c_str(), Bytes(data, data + size)))
    FuzzFail("the input file cannot be written");
  return path.c_str();
}

const char* FuzzInputFolder() { return Folder().c_str(); }

void FuzzFail(const char* what) {
  std::fprintf(stderr, "vorn fuzz: %s\n", what);
  std::abort();
}
