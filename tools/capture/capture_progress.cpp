#include "capture_progress.h"

#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

const auto kRedrawEvery = std::chrono::milliseconds(250);

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// "12 s" or "3 min 05 s": what is left of a long run reads at a glance.
void PrintDuration(std::FILE* out, double seconds) {
  const long whole = static_cast<long>(seconds + 0.5);
  if (whole < 60)
    std::fprintf(out, "%ld s", whole);
  else
    std::fprintf(out, "%ld min %02ld s", whole / 60, whole % 60);
}

}  // namespace

void CaptureProgressStart(CaptureProgress* progress, int total) {
  progress->out = isatty(STDERR_FILENO) ? stderr : nullptr;
  progress->total = total;
  progress->start = Clock::now();
  progress->onScreen = false;
}

void CaptureProgressFrame(CaptureProgress* progress, int frame) {
  if (progress->out == nullptr) return;
  const Clock::time_point now = Clock::now();
  if (progress->onScreen && now - progress->shown < kRedrawEvery && frame < progress->total) return;
  progress->shown = now;
  progress->onScreen = true;
  // Erased to the end of the line: the line before may have been longer.
  std::fprintf(progress->out, "\r\033[Kframe %d of %d", frame, progress->total);
  const double seconds = SecondsSince(progress->start);
  if (seconds > 0.05) {
    const double rate = frame / seconds;
    std::fprintf(progress->out, ", %.0f frames a second, ", rate);
    PrintDuration(progress->out, (progress->total - frame) / rate);
    std::fputs(" left", progress->out);
  }
  std::fflush(progress->out);
}

void CaptureProgressClear(CaptureProgress* progress) {
  if (progress->out == nullptr || !progress->onScreen) return;
  std::fputs("\r\033[K", progress->out);
  std::fflush(progress->out);
  progress->onScreen = false;
}

void CaptureProgressSummary(CaptureProgress* progress, int frames, const char* outputs) {
  if (progress->out == nullptr) return;
  CaptureProgressClear(progress);
  const double seconds = SecondsSince(progress->start);
  std::fprintf(progress->out, "vorn-capture: %d frames in %.1f s (%.0f frames a second)%s\n", frames,
               seconds, seconds > 0 ? frames / seconds : 0.0, outputs);
}
