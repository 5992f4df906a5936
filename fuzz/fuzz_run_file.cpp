// The run-file reader on arbitrary bytes. A file is refused with one line,
// or read into a run whose written text reads back as the same run, and
// which plays with the generator it names or is refused in one line.
#include <cstdint>
#include <cstring>

#include "fuzz_input_file.h"
#include "run_recorder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const char* text = reinterpret_cast<const char*>(data);
  RunFile run;
  char error[RUN_ERROR_SIZE] = "";
  if (!RunFileRead(text, size, &run, error)) {
    if (error[0] == '\0' || std::strchr(error, '\n') != nullptr)
      FuzzFail("a refusal without its one line");
    if (!run.keys.empty()) FuzzFail("a refused file left keys behind");
    return 0;
  }
  if (run.keys.empty() || run.keys.size() > std::size_t(RUN_MAX_FRAMES))
    FuzzFail("a run read with a frame count out of range");
  const std::string written = RunFileText(run);
  RunFile back;
  if (!RunFileRead(written.data(), written.size(), &back, error))
    FuzzFail("a written run was refused");
  if (back.keys != run.keys || back.seed != run.seed || back.closeFrame != run.closeFrame ||
      back.generator != run.generator || std::memcmp(back.picture, run.picture, SHA256_BYTES) != 0)
    FuzzFail("a written run read back as another");
  for (int frame = 1; frame <= int(run.keys.size()); ++frame) RunPlayerQuitsAt(run, frame);
  // Whatever the generator's name, a run is played with it or refused in a line.
  bool samePicture = false;
  const bool playable = RunPlayable(run, run.picture, &samePicture, error);
  if (playable != RunGeneratorKnown(run.generator) || std::strchr(error, '\n') != nullptr ||
      (playable && (!RunGeneratorUse(run.generator, error) || run.generator != RunGeneratorInUse())))
    FuzzFail("a run neither played with the generator it names nor refused in a line");
  RunGeneratorUse(RunGeneratorName(), error);
  return 0;
}
