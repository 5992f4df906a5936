#include "screenshot_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// Names tried within one second before giving up.
constexpr int kMaxNumber = 9999;

bool WriteAll(int descriptor, const std::vector<std::uint8_t>& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t written = write(descriptor, bytes.data() + done, bytes.size() - done);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    done += std::size_t(written);
  }
  return true;
}

void SetReason(ScreenshotOutcome* outcome, const char* what, int error) {
  std::snprintf(outcome->reason, sizeof outcome->reason, "%s %s (%s)", what, outcome->path,
                std::strerror(error));
}

}  // namespace

void ScreenshotName(std::time_t when, int number, char* name, std::size_t size) {
  std::tm local = {};
  localtime_r(&when, &local);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
  std::snprintf(name, size, "vorn-%s-%d.png", stamp, number);
}

ScreenshotOutcome ScreenshotSave(const char* folder, std::time_t when, const std::uint8_t* pixels,
                                 int width, int height, const FrameColour* colours) {
  ScreenshotOutcome outcome;
  if (pixels == nullptr) {
    std::snprintf(outcome.reason, sizeof outcome.reason, "no frame has been shown yet");
    return outcome;
  }
  const std::vector<std::uint8_t> bytes = FramePngEncode(pixels, width, height, colours);
  if (bytes.empty()) {
    std::snprintf(outcome.reason, sizeof outcome.reason, "the frame could not be made a PNG");
    return outcome;
  }
  const bool here = folder == nullptr || folder[0] == '\0';
  for (int number = 1; number <= kMaxNumber; ++number) {
    char name[64];
    ScreenshotName(when, number, name, sizeof name);
    const int length = std::snprintf(outcome.path, sizeof outcome.path, "%s%s%s",
                                     here ? "" : folder, here ? "" : "/", name);
    if (length < 0 || std::size_t(length) >= sizeof outcome.path) {
      std::snprintf(outcome.reason, sizeof outcome.reason, "the folder's path is too long");
      return outcome;
    }
    const int descriptor =
        open(outcome.path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (descriptor < 0 && errno == EEXIST) continue;
    if (descriptor < 0) {
      SetReason(&outcome, "cannot create", errno);
      return outcome;
    }
    const bool written = WriteAll(descriptor, bytes);
    const int writeError = errno;
    const bool closed = close(descriptor) == 0;
    if (written && closed) {
      outcome.saved = true;
      return outcome;
    }
    SetReason(&outcome, "cannot write", written ? errno : writeError);
    unlink(outcome.path);
    return outcome;
  }
  std::snprintf(outcome.reason, sizeof outcome.reason,
                "every name up to vorn-...-%d.png for this second is taken", kMaxNumber);
  return outcome;
}
