// Presented frames as 8-bit BMP files.
#pragma once

#include "headless.h"

// Called by the capture tool for every present. Writes the frame as an
// uncompressed 8-bit BMP, bottom row first as the format stores it, whose
// colour table is the frame's palette. Returns false when the file cannot
// be written completely (a partial file may be left).
bool FrameBmpWrite(const HeadlessFrame& frame, const char* path);
