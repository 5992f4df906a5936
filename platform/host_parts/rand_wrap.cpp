// The program's rand and srand in the builds that play runs: they are
// linked with --wrap=rand --wrap=srand, so every call of rand in the
// program (the demo's own included) comes here, and the C library's is
// __real_rand. The generator a replay chose draws; otherwise the C library.
#include "run_generator.h"

extern "C" int __real_rand();
extern "C" void __real_srand(unsigned seed);

extern "C" int __wrap_rand() {
  RandState* chosen = RunGeneratorChosen();
  return chosen != nullptr ? RandNext(chosen) : __real_rand();
}

extern "C" void __wrap_srand(unsigned seed) {
  RandState* chosen = RunGeneratorChosen();
  if (chosen != nullptr)
    RandSeed(chosen, seed);
  else
    __real_srand(seed);
}
