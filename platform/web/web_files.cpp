// The program's files in a page: the page hands them over when it starts a
// run (Module.vornFiles, full path to bytes) and the portable layer opens
// and reads them with the usual POSIX calls, answered here from memory.
// Emscripten's own file system, with its folders, devices and start-up
// work, is left out of the build: one picture is all a run reads.
#include <emscripten.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

// Descriptors 0 to 2 are the standard streams, which a page does not have.
enum { FIRST_DESCRIPTOR = 3, MAX_OPEN = 8 };

struct MemoryFile {
  unsigned char* bytes = nullptr;  // owned; nullptr marks a free slot
  off_t size = 0;
  off_t at = 0;
};

MemoryFile openFiles[MAX_OPEN];

// The size of the page's file at path, or -1 when the page has none.
EM_JS(double, WebFileSize, (const char* path), {
  const files = Module["vornFiles"];
  const bytes = files ? files[UTF8ToString(path)] : undefined;
  return bytes ? bytes.length : -1;
});

EM_JS(void, WebFileCopy, (const char* path, unsigned char* buffer), {
  HEAPU8.set(Module["vornFiles"][UTF8ToString(path)], buffer);
});

MemoryFile* FileOf(int descriptor) {
  const int slot = descriptor - FIRST_DESCRIPTOR;
  if (slot < 0 || slot >= MAX_OPEN || openFiles[slot].bytes == nullptr) return nullptr;
  return &openFiles[slot];
}

}  // namespace

extern "C" {

// Reading only: the program never writes a file.
int open(const char* path, int flags, ...) {
  if ((flags & O_ACCMODE) != O_RDONLY) return errno = EROFS, -1;
  const double size = WebFileSize(path);
  if (size < 0) return errno = ENOENT, -1;
  for (int slot = 0; slot < MAX_OPEN; ++slot) {
    if (openFiles[slot].bytes != nullptr) continue;
    auto* bytes = static_cast<unsigned char*>(std::malloc(size > 0 ? std::size_t(size) : 1));
    if (bytes == nullptr) return errno = ENOMEM, -1;
    WebFileCopy(path, bytes);
    openFiles[slot] = {bytes, off_t(size), 0};
    return FIRST_DESCRIPTOR + slot;
  }
  return errno = EMFILE, -1;
}

// What the portable layer asks of a descriptor open gave: its size, its
// bytes from where it stands, a move, and the end of it.
int fstat(int descriptor, struct stat* status) {
  const MemoryFile* file = FileOf(descriptor);
  if (file == nullptr) return errno = EBADF, -1;
  std::memset(status, 0, sizeof *status);
  status->st_mode = S_IFREG | 0444;
  status->st_size = file->size;
  status->st_nlink = 1;
  return 0;
}

ssize_t read(int descriptor, void* buffer, size_t bytes) {
  MemoryFile* file = FileOf(descriptor);
  if (file == nullptr) return errno = EBADF, -1;
  const off_t left = file->size - file->at;
  const size_t count = left <= 0 ? 0 : (off_t(bytes) < left ? bytes : size_t(left));
  std::memcpy(buffer, file->bytes + file->at, count);
  file->at += off_t(count);
  return ssize_t(count);
}

off_t lseek(int descriptor, off_t offset, int origin) {
  MemoryFile* file = FileOf(descriptor);
  if (file == nullptr) return errno = EBADF, -1;
  const off_t base = origin == SEEK_SET ? 0 : origin == SEEK_CUR ? file->at : origin == SEEK_END ? file->size : -1;
  if (base < 0 || offset < -base) return errno = EINVAL, -1;
  file->at = base + offset;
  return file->at;
}

int close(int descriptor) {
  MemoryFile* file = FileOf(descriptor);
  if (file == nullptr) return errno = EBADF, -1;
  std::free(file->bytes);
  *file = MemoryFile();
  return 0;
}

}  // extern "C"
