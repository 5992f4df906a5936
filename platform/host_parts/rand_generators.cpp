#include "rand_generators.h"

#include <cstring>

namespace {

const char* const kNames[RAND_KIND_COUNT] = {"glibc", "musl", "msvcrt"};

enum {
  GLIBC_DEGREE = 31,      // words in the feedback register
  GLIBC_SEPARATION = 3,   // the front tap's lead over the rear one
  GLIBC_WARM_UP = 310,    // outputs thrown away after seeding
};

std::uint32_t GlibcStep(RandState* state) {
  const std::uint32_t sum = state->table[state->front] + state->table[state->rear];
  state->table[state->front] = sum;
  state->front = (state->front + 1) % GLIBC_DEGREE;
  state->rear = (state->rear + 1) % GLIBC_DEGREE;
  return sum >> 1;
}

// The seed is taken as a signed 32-bit word (so seeds from 2^31 on are
// negative) and 0 as 1; each next word is 16807 times the last modulo
// 2^31 - 1, by Schrage's method on signed words with division toward zero,
// which leaves a negative first word's successor in range as well.
void GlibcSeed(RandState* state, unsigned seed) {
  if (seed == 0) seed = 1;
  std::int64_t word = seed <= 0x7fffffffu ? std::int64_t(seed) : std::int64_t(seed) - 0x100000000;
  state->table[0] = std::uint32_t(seed);
  for (int i = 1; i < GLIBC_DEGREE; ++i) {
    const std::int64_t high = word / 127773, low = word % 127773;
    word = 16807 * low - 2836 * high;
    if (word < 0) word += 2147483647;
    state->table[i] = std::uint32_t(word);
  }
  state->front = GLIBC_SEPARATION;
  state->rear = 0;
  for (int i = 0; i < GLIBC_WARM_UP; ++i) GlibcStep(state);
}

}  // namespace

void RandSeed(RandState* state, unsigned seed) {
  switch (state->kind) {
    case RAND_GLIBC:
      GlibcSeed(state, seed);
      return;
    case RAND_MUSL:
      state->word = std::uint32_t(seed - 1u);  // unsigned arithmetic: seed 0 gives 2^32 - 1
      return;
    default:
      state->word = seed;
      return;
  }
}

int RandNext(RandState* state) {
  switch (state->kind) {
    case RAND_GLIBC:
      return int(GlibcStep(state));
    case RAND_MUSL:
      state->word = state->word * 6364136223846793005ull + 1;
      return int(state->word >> 33);
    default:
      state->word = std::uint32_t(state->word * 214013u + 2531011u);
      return int((state->word >> 16) & 0x7fff);
  }
}

const char* RandKindName(RandKind kind) {
  return kind >= 0 && kind < RAND_KIND_COUNT ? kNames[kind] : "?";
}

bool RandKindByName(const char* name, RandKind* kind) {
  for (int i = 0; i < RAND_KIND_COUNT; ++i) {
    if (std::strcmp(kNames[i], name) == 0) {
      *kind = RandKind(i);
      return true;
    }
  }
  return false;
}

const char* RandKnownNames() { return "glibc, musl and msvcrt"; }
