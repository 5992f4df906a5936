// Held keys per frame for the capture tool, from a script such as
// "left@10-30,down@40": frames are counted from 1, one per call of the
// scene's frame step, and both ends of a range are included.
#pragma once

#include <cstddef>

enum { KEY_SCRIPT_MAX_RANGES = 256 };

struct KeyRange {
  int virtualKey;
  int first;
  int last;
};

struct KeyScript {
  KeyRange ranges[KEY_SCRIPT_MAX_RANGES];
  int count;
};

// Called by the option parser. Fills script from text (an empty text holds
// nothing). Returns false, with a short phrase in error, on any item that is
// not KEY@FRAME or KEY@FIRST-LAST with a known key and 1 <= FIRST <= LAST.
bool KeyScriptParse(KeyScript* script, const char* text, char* error, std::size_t errorSize);

// Called for every frame of the run: whether the script holds the key then.
bool KeyScriptHolds(const KeyScript& script, int virtualKey, int frame);

// Called after a short run: the first frame in which the script holds a
// key that quits the program (Escape or Space), or 0 when it never does.
int KeyScriptFirstQuitFrame(const KeyScript& script);
