#include "run_generator.h"

#include <cstdio>
#include <cstdlib>

namespace {

struct Choice {
  bool chosen = false;
  RandState state;
};

Choice choice;

const char* NameByFirstDraw() {
  static char name[24];
  std::srand(1);
  const int first = std::rand();
  for (int kind = 0; kind < RAND_KIND_COUNT; ++kind) {
    RandState state;
    state.kind = RandKind(kind);
    RandSeed(&state, 1);
    if (RandNext(&state) == first) return RandKindName(RandKind(kind));
  }
  std::snprintf(name, sizeof name, "rand-%d", first);
  return name;
}

// The first draws after a seed, as rand now gives them and as kind does.
bool RandFollows(RandKind kind) {
  RandState expected;
  expected.kind = kind;
  RandSeed(&expected, 12345);
  std::srand(12345);
  for (int i = 0; i < 4; ++i)
    if (std::rand() != RandNext(&expected)) return false;
  return true;
}

}  // namespace

const char* RunGeneratorName() {
  // Asked before anything is chosen: the first caller is RunGeneratorUse
  // or a host that records, both before the demo starts.
  static const char* const name = NameByFirstDraw();
  return name;
}

bool RunGeneratorKnown(const std::string& name) {
  RandKind kind;
  return name == RunGeneratorName() || RandKindByName(name.c_str(), &kind);
}

bool RunGeneratorUse(const std::string& name, char error[RUN_ERROR_SIZE]) {
  const char* own = RunGeneratorName();
  choice.chosen = false;
  if (name == own) return true;
  RandKind kind;
  if (!RandKindByName(name.c_str(), &kind)) {
    std::snprintf(error, RUN_ERROR_SIZE,
                  "the random generator '%.24s' is not known (known: %s)", name.c_str(),
                  RandKnownNames());
    return false;
  }
  choice.state = RandState();
  choice.state.kind = kind;
  choice.chosen = true;
  if (!RandFollows(kind)) {
    choice.chosen = false;
    std::snprintf(error, RUN_ERROR_SIZE,
                  "this build of vorn cannot draw %s's random numbers, only %s's", name.c_str(),
                  own);
    return false;
  }
  return true;
}

const char* RunGeneratorInUse() {
  return choice.chosen ? RandKindName(choice.state.kind) : RunGeneratorName();
}

RandState* RunGeneratorChosen() { return choice.chosen ? &choice.state : nullptr; }
