#include "key_script.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform.h"

namespace {

struct KeyName {
  const char* name;
  int virtualKey;
};

const KeyName kKeyNames[] = {{"left", VK_LEFT},     {"right", VK_RIGHT}, {"up", VK_UP},
                             {"down", VK_DOWN},     {"escape", VK_ESCAPE}, {"space", VK_SPACE}};

int KeyByName(const char* name, std::size_t length) {
  for (const KeyName& key : kKeyNames) {
    if (std::strlen(key.name) == length && std::strncmp(key.name, name, length) == 0)
      return key.virtualKey;
  }
  return -1;
}

// Digits only (no sign, no spaces), at least 1, at most INT_MAX. Moves text
// past the number.
bool ReadFrameNumber(const char** text, int* number) {
  const char* start = *text;
  if (*start < '0' || *start > '9') return false;
  char* end = nullptr;
  errno = 0;
  long value = std::strtol(start, &end, 10);
  if (errno == ERANGE || value < 1 || value > INT_MAX) return false;
  *number = static_cast<int>(value);
  *text = end;
  return true;
}

// One item, from item up to (not including) itemEnd.
bool ParseItem(const char* item, const char* itemEnd, KeyRange* range, char* error,
               std::size_t errorSize) {
  const int shown = static_cast<int>(itemEnd - item);
  const char* at = static_cast<const char*>(std::memchr(item, '@', itemEnd - item));
  if (at == nullptr) {
    std::snprintf(error, errorSize, "'%.*s' is not KEY@FRAME or KEY@FIRST-LAST", shown, item);
    return false;
  }
  range->virtualKey = KeyByName(item, at - item);
  if (range->virtualKey < 0) {
    std::snprintf(error, errorSize,
                  "'%.*s': unknown key (keys: left, right, up, down, escape, space)", shown, item);
    return false;
  }
  const char* cursor = at + 1;
  bool good = ReadFrameNumber(&cursor, &range->first);
  range->last = range->first;
  if (good && cursor < itemEnd && *cursor == '-') {
    ++cursor;
    good = ReadFrameNumber(&cursor, &range->last);
  }
  if (!good || cursor != itemEnd || range->last < range->first) {
    std::snprintf(error, errorSize,
                  "'%.*s': frames must be FRAME or FIRST-LAST, counted from 1, FIRST <= LAST",
                  shown, item);
    return false;
  }
  return true;
}

}  // namespace

bool KeyScriptParse(KeyScript* script, const char* text, char* error, std::size_t errorSize) {
  script->count = 0;
  if (*text == '\0') return true;
  for (const char* item = text;;) {
    const char* itemEnd = std::strchr(item, ',');
    if (itemEnd == nullptr) itemEnd = item + std::strlen(item);
    if (script->count == KEY_SCRIPT_MAX_RANGES) {
      std::snprintf(error, errorSize, "more than %d items", KEY_SCRIPT_MAX_RANGES);
      return false;
    }
    if (!ParseItem(item, itemEnd, &script->ranges[script->count], error, errorSize)) return false;
    ++script->count;
    if (*itemEnd == '\0') return true;
    item = itemEnd + 1;
  }
}

bool KeyScriptHolds(const KeyScript& script, int virtualKey, int frame) {
  for (int i = 0; i < script.count; ++i) {
    const KeyRange& range = script.ranges[i];
    if (range.virtualKey == virtualKey && frame >= range.first && frame <= range.last) return true;
  }
  return false;
}

int KeyScriptFirstQuitFrame(const KeyScript& script) {
  int first = 0;
  for (int i = 0; i < script.count; ++i) {
    const KeyRange& range = script.ranges[i];
    bool quits = range.virtualKey == VK_ESCAPE || range.virtualKey == VK_SPACE;
    if (quits && (first == 0 || range.first < first)) first = range.first;
  }
  return first;
}
