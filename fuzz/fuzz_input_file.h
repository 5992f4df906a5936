// Where a fuzz target puts each input: the reader and the program read files
// by name, so every input becomes ROCK8.BMP in a folder of this process's own.
#pragma once

#include <cstddef>
#include <cstdint>

// Called by the targets for every input. Writes the bytes, replacing the
// previous input, and returns the file's path (owned here, valid until the
// next call). Aborts when the file cannot be written.
const char* FuzzWriteInput(const std::uint8_t* data, std::size_t size);

// The private folder the input is written to, for HeadlessConfig::programDirectory.
const char* FuzzInputFolder();

// Prints why and aborts, so libFuzzer keeps the input that caused it.
[[noreturn]] void FuzzFail(const char* what);
