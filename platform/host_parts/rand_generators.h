// The random generators behind rand and srand in the C libraries Vorn is
// built with, made again from their published algorithms: every run names
// the one that drew its numbers, and a replay on a build whose own library
// draws others draws from one of these instead (run_generator.h).
//
//   glibc   the additive feedback generator of random(3), TYPE_3: 31 words
//           filled from the seed by 16807 x mod 2^31 - 1, 310 outputs
//           thrown away, then r[i] = r[i-3] + r[i-31] (mod 2^32) gives
//           r[i] >> 1
//   musl    a 64-bit LCG: srand(s) sets s - 1, rand steps x * 6364136223846793005
//           + 1 and gives the top 31 bits
//   msvcrt  the Windows C runtime's 32-bit LCG: x * 214013 + 2531011,
//           giving bits 16 to 30
#pragma once

#include <cstdint>

enum RandKind { RAND_GLIBC, RAND_MUSL, RAND_MSVCRT, RAND_KIND_COUNT };

// One generator's whole state; fixed size, nothing to free.
struct RandState {
  RandKind kind = RAND_GLIBC;
  std::uint32_t table[31] = {};  // glibc: the feedback register
  int front = 0;                 // glibc: the tap r[i-3] (and where r[i] goes)
  int rear = 0;                  // glibc: the tap r[i-31]
  std::uint64_t word = 0;        // musl's and msvcrt's state
};

// srand(seed) as the generator's library does it, for state->kind.
void RandSeed(RandState* state, unsigned seed);

// rand() as the generator's library does it: 0 to 2^31 - 1 (msvcrt: to 32767).
int RandNext(RandState* state);

// The name a run file gives the generator ("glibc", "musl", "msvcrt").
const char* RandKindName(RandKind kind);

// The generator of that name; false for a name that is none of them.
bool RandKindByName(const char* name, RandKind* kind);

// The known names for an error line: "glibc, musl and msvcrt".
const char* RandKnownNames();
