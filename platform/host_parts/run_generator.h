// Whose random numbers the program's rand and srand give. Live runs draw
// from the program's own C library. A host about to replay a run made
// with another library's numbers chooses that library's generator
// (rand_generators.h) before WinMain: the builds that play runs are linked
// with --wrap=rand --wrap=srand (rand_wrap.cpp), so the demo's own calls
// come here first and go on to the C library only while nothing is chosen.
#pragma once

#include <string>

#include "rand_generators.h"
#include "run_file.h"

// The name of the C library's random generator this program draws from,
// known by the first number it draws after srand(1): "glibc", "musl",
// "msvcrt", or "rand-N". Found once, at the first call (which reseeds the
// library's generator: make it before the demo seeds its own).
const char* RunGeneratorName();

// Whether a run naming this generator can be played: one of the known
// generators, or this program's own.
bool RunGeneratorKnown(const std::string& name);

// Called by a host before WinMain to play a run (or by the capture tool
// for --generator): from now on rand and srand are name's. The program's
// own name goes back to the C library. False, with one line in error, for
// a name that is not known, or when this program's rand does not come
// here (a build without --wrap): nothing is chosen then.
bool RunGeneratorUse(const std::string& name, char error[RUN_ERROR_SIZE]);

// The generator rand draws from now: the chosen one's name, or
// RunGeneratorName(). What a recording names.
const char* RunGeneratorInUse();

// Called by the stand-ins for rand and srand only: the chosen generator,
// or null while the C library draws.
RandState* RunGeneratorChosen();
