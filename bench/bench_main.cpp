// The benchmarks' entry point: Google Benchmark's usual options and table,
// then every ratio the project keeps a target for.
#include <benchmark/benchmark.h>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "ratio_report.h"

int main(int argc, char** argv) {
#if defined(__GLIBC__)
  // Large blocks stay with the process between iterations: otherwise glibc
  // hands them back to the kernel or not depending on its own thresholds
  // (a 16 MB reader that also takes 16 MB of scratch is trimmed, a plain
  // read is not), and the figures would compare page-fault counts.
  mallopt(M_MMAP_THRESHOLD, 256 * 1024 * 1024);
  mallopt(M_TRIM_THRESHOLD, 512 * 1024 * 1024);
#endif
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter({
      {"whole frame, no key / floor", "Frame/no_key", "FrameFloor", "<= 1.3"},
      {"whole frame, Down held / floor", "Frame/down", "FrameFloor", "<= 1.3"},
      {"SDL peer (faster variant), no key / frame", "SdlFrame/no_key_plain|SdlFrame/no_key_rle",
       "Frame/no_key", ">= 1.5"},
      {"SDL peer (faster variant), Down / frame", "SdlFrame/down_plain|SdlFrame/down_rle",
       "Frame/down", ">= 1.5"},
      {"SDL peer, no key, plain / RLE", "SdlFrame/no_key_plain", "SdlFrame/no_key_rle", ""},
      {"BmpRead 8-bit / plain read", "BmpReadLarge/8bit", "PlainRead/8bit", "<= 2"},
      {"BmpRead 24-bit / plain read", "BmpReadLarge/24bit", "PlainRead/24bit", ""},
  });
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
