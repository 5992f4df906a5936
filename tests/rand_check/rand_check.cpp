// A C library's own rand against vorn's copy of its generator: for each
// seed, the first 10,000 draws after srand. Built for every C library
// vorn meets and run where that library runs (see CMakeLists.txt beside
// this); prints one line a seed, and exits 1 at any difference.
//   vorn_rand_check glibc|musl|msvcrt
#include <cstdio>
#include <cstdlib>

#include "rand_generators.h"

int main(int argc, char** argv) {
  RandState copy;
  if (argc != 2 || !RandKindByName(argv[1], &copy.kind)) {
    std::fprintf(stderr, "usage: vorn_rand_check NAME (the C library's: %s)\n", RandKnownNames());
    return 2;
  }
  const unsigned seeds[] = {0u, 1u, 2147483648u, 4294967295u};
  const int draws = 10000;
  int failed = 0;
  for (unsigned seed : seeds) {
    std::srand(seed);
    RandSeed(&copy, seed);
    unsigned long long sum = 0;
    int differs = 0, library = 0, ours = 0;
    for (int i = 1; i <= draws && differs == 0; ++i) {
      library = std::rand();
      ours = RandNext(&copy);
      sum += unsigned(library);
      if (library != ours) differs = i;
    }
    if (differs != 0) {
      ++failed;
      std::printf("%s seed %u: draw %d is %d in the C library, %d in vorn's copy\n", argv[1], seed,
                  differs, library, ours);
    } else {
      std::printf("%s seed %u: the first %d draws alike (the last %d, their sum %llu)\n", argv[1],
                  seed, draws, library, sum);
    }
  }
  std::printf("%d passed, %d failed\n", 4 - failed, failed);
  return failed == 0 ? 0 : 1;
}
