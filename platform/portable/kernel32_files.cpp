// The old kernel32 file calls the BMP reader uses, on POSIX descriptors: a
// small fixed table of open files whose slot numbers are the HFILE handles.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "call_trace.h"
#include "host.h"
#include "kernel32_files.h"

namespace {

enum { MAX_OPEN_FILES = 16 };

// Windows error codes OpenFile leaves in nErrCode.
enum : WORD {
  ERROR_FILE_NOT_FOUND_CODE = 2,
  ERROR_TOO_MANY_OPEN_FILES_CODE = 4,
  ERROR_ACCESS_DENIED_CODE = 5,
  ERROR_INVALID_PARAMETER_CODE = 87,
};

int openFiles[MAX_OPEN_FILES];  // descriptor + 1; 0 marks a free slot

int DescriptorOf(HFILE file) {
  if (file < 0 || file >= MAX_OPEN_FILES || openFiles[file] == 0) return -1;
  return openFiles[file] - 1;
}

int FreeSlot() {
  for (int slot = 0; slot < MAX_OPEN_FILES; ++slot) {
    if (openFiles[slot] == 0) return slot;
  }
  return -1;
}

void FillOpenInfo(LPOFSTRUCT openInfo, const char* path, WORD errorCode) {
  if (openInfo == nullptr) return;
  std::memset(openInfo, 0, sizeof *openInfo);
  openInfo->cBytes = sizeof *openInfo;
  openInfo->fFixedDisk = 1;
  openInfo->nErrCode = errorCode;
  // Longer paths are cut: the record's field is all a caller can see.
  std::size_t length = std::strlen(path);
  if (length > sizeof openInfo->szPathName - 1) length = sizeof openInfo->szPathName - 1;
  std::memcpy(openInfo->szPathName, path, length);
  openInfo->szPathName[length] = '\0';
}

// A regular file opened for reading, or -1 with errno telling why not.
int OpenRegularFile(const char* path) {
  int descriptor = open(path, O_RDONLY | O_CLOEXEC);
  if (descriptor < 0) return -1;
  struct stat status;
  if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
    close(descriptor);
    errno = EISDIR;
    return -1;
  }
  return descriptor;
}

// A bare name is looked for beside the program first, then in the host's
// data folder, then in the current directory; a name with a directory part
// is opened as given.
int OpenSearched(const char* fileName, char* openedPath, std::size_t pathSize) {
  bool bare = std::strchr(fileName, '/') == nullptr && std::strchr(fileName, '\\') == nullptr;
  const char* folders[] = {bare ? HostProgramDirectory() : nullptr,
                           bare ? HostDataDirectory() : nullptr};
  for (const char* folder : folders) {
    if (folder == nullptr || folder[0] == '\0') continue;
    int length = std::snprintf(openedPath, pathSize, "%s/%s", folder, fileName);
    if (length > 0 && std::size_t(length) < pathSize) {
      int descriptor = OpenRegularFile(openedPath);
      if (descriptor >= 0) return descriptor;
    }
  }
  std::snprintf(openedPath, pathSize, "%s", fileName);
  return OpenRegularFile(fileName);
}

}  // namespace

HFILE WINAPI OpenFile(LPCSTR fileName, LPOFSTRUCT openInfo, UINT style) {
  const char* name = fileName != nullptr ? fileName : "";
  if (PlatformCall("OpenFile", nullptr, TraceText("name", fileName), TraceFlags("style", style))) {
    FillOpenInfo(openInfo, name, ERROR_FILE_NOT_FOUND_CODE);
    return HFILE_ERROR;
  }
  if (style != OF_READ || name[0] == '\0') {
    FillOpenInfo(openInfo, name, ERROR_INVALID_PARAMETER_CODE);
    return HFILE_ERROR;
  }
  int slot = FreeSlot();
  if (slot < 0) {
    FillOpenInfo(openInfo, name, ERROR_TOO_MANY_OPEN_FILES_CODE);
    return HFILE_ERROR;
  }
  char path[PATH_MAX];
  int descriptor = OpenSearched(name, path, sizeof path);
  if (descriptor < 0) {
    bool denied = errno == EACCES || errno == EISDIR;
    FillOpenInfo(openInfo, path, denied ? ERROR_ACCESS_DENIED_CODE : ERROR_FILE_NOT_FOUND_CODE);
    return HFILE_ERROR;
  }
  openFiles[slot] = descriptor + 1;
  FillOpenInfo(openInfo, path, 0);
  return slot;
}

UINT WINAPI _lread(HFILE file, LPVOID buffer, UINT bytes) {
  if (PlatformCall("_lread", nullptr, TraceNumber("file", file), TraceNumber("bytes", bytes)))
    return UINT(HFILE_ERROR);
  int descriptor = DescriptorOf(file);
  if (descriptor < 0 || (buffer == nullptr && bytes > 0)) return UINT(HFILE_ERROR);
  // HFILE_ERROR is itself a count, so one call never reports more than this.
  if (bytes > UINT(INT_MAX)) bytes = UINT(INT_MAX);
  auto* cursor = static_cast<unsigned char*>(buffer);
  UINT total = 0;
  int interruptions = 0;
  while (total < bytes) {
    ssize_t count = read(descriptor, cursor + total, bytes - total);
    if (count > 0) {
      total += UINT(count);
    } else if (count == 0) {
      break;
    } else if (errno != EINTR || ++interruptions > 8) {
      return total > 0 ? total : UINT(HFILE_ERROR);
    }
  }
  return total;
}

LONG WINAPI _llseek(HFILE file, LONG offset, int origin) {
  if (PlatformCall("_llseek", nullptr, TraceNumber("file", file), TraceNumber("offset", offset),
                   TraceNumber("origin", origin))) {
    return HFILE_ERROR;
  }
  int descriptor = DescriptorOf(file);
  if (descriptor < 0) return HFILE_ERROR;
  // Worked out before moving, so a refused seek leaves the position alone.
  std::int64_t base = 0;
  if (origin == FILE_CURRENT) {
    base = lseek(descriptor, 0, SEEK_CUR);
  } else if (origin == FILE_END) {
    struct stat status;
    base = fstat(descriptor, &status) == 0 ? std::int64_t(status.st_size) : -1;
  } else if (origin != FILE_BEGIN) {
    return HFILE_ERROR;
  }
  if (base < 0) return HFILE_ERROR;
  std::int64_t target = base + offset;
  if (target < 0 || target > std::int64_t(INT32_MAX)) return HFILE_ERROR;
  if (lseek(descriptor, off_t(target), SEEK_SET) < 0) return HFILE_ERROR;
  return LONG(target);
}

void KernelFilesReset() {
  for (int slot = 0; slot < MAX_OPEN_FILES; ++slot) {
    if (openFiles[slot] != 0) close(openFiles[slot] - 1);
    openFiles[slot] = 0;
  }
}

HFILE WINAPI _lclose(HFILE file) {
  if (PlatformCall("_lclose", nullptr, TraceNumber("file", file))) return HFILE_ERROR;
  int descriptor = DescriptorOf(file);
  if (descriptor < 0) return HFILE_ERROR;
  openFiles[file] = 0;
  close(descriptor);
  return 0;
}
