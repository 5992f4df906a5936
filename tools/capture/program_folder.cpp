#include "program_folder.h"

#include <filesystem>
#include <system_error>

std::string ProgramFolder(const char* argv0) {
  namespace fs = std::filesystem;
  std::error_code error;
  fs::path self = fs::read_symlink("/proc/self/exe", error);
  if (error && argv0 != nullptr) self = fs::absolute(argv0, error);
  if (error) return std::string();
  return self.parent_path().string();
}
