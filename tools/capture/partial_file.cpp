#include "partial_file.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

int PartialFileOpen(const std::string& target, std::string* partialPath) {
  std::string pattern = target + ".partial-XXXXXX";
  int descriptor = mkostemp(pattern.data(), O_CLOEXEC);
  if (descriptor < 0) return -1;
  mode_t mask = umask(0);
  umask(mask);
  fchmod(descriptor, 0666 & ~mask);
  *partialPath = pattern;
  return descriptor;
}
