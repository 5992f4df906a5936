// A C library's own rand against vorn's copy of its generator, as one
// table: for the seeds 0, 1, 2^31 and 2^32 - 1, the first 10,000 draws
// after srand. Built in every build (tests/rand_check/CMakeLists.txt) and
// run where its library runs: glibc's by ctest, musl's (the page build's)
// under node by scripts/test.sh web, msvcrt's (the 64-bit Windows build's)
// under wine by scripts/test.sh windows. One line a seed; exit code 1 at
// any difference.
//   vorn_rand_check glibc|musl|msvcrt
#include <cstdio>
#include <cstdlib>
#include <initializer_list>

#include "rand_generators.h"

int main(int argc, char** argv) {
  RandState copy;
  if (argc != 2 || !RandKindByName(argv[1], &copy.kind)) return 2;
  int failed = 0;
  for (unsigned seed : {0u, 1u, 2147483648u, 4294967295u}) {
    std::srand(seed);
    RandSeed(&copy, seed);
    int draw = 1, library = 0, ours = 0;
    while (draw <= 10000 && (library = std::rand()) == (ours = RandNext(&copy))) ++draw;
    failed += draw <= 10000;
    std::printf("%s, seed %u: %s, draw %d: %d, vorn's copy %d\n", argv[1], seed,
                draw <= 10000 ? "DIFFERS" : "the first 10000 draws alike", draw - (draw > 10000),
                library, ours);
  }
  std::printf("%d passed, %d failed\n", 4 - failed, failed);
  return failed == 0 ? 0 : 1;
}
