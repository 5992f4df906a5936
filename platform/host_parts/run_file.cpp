#include "run_file.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "held_keys.h"

namespace {

struct KeyName {
  const char* name;
  int virtualKey;
};

// In the order a written script names keys that change in the same frame.
const KeyName kKeyNames[] = {{"left", VK_LEFT},     {"right", VK_RIGHT},   {"up", VK_UP},
                             {"down", VK_DOWN},     {"escape", VK_ESCAPE}, {"space", VK_SPACE}};

// What error lines quote of the text: enough to find the place, never a
// whole line of a stranger's making.
const int kQuoted = 24;

bool Fail(char error[RUN_ERROR_SIZE], const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  std::vsnprintf(error, RUN_ERROR_SIZE, format, arguments);
  va_end(arguments);
  return false;
}

int Shown(std::size_t length) { return length < std::size_t(kQuoted) ? int(length) : kQuoted; }

int KeyByName(const char* name, std::size_t length) {
  for (const KeyName& key : kKeyNames) {
    if (std::strlen(key.name) == length && std::strncmp(key.name, name, length) == 0)
      return key.virtualKey;
  }
  return -1;
}

const char* NameOfKey(int virtualKey) {
  for (const KeyName& key : kKeyNames)
    if (key.virtualKey == virtualKey) return key.name;
  return "?";
}

// Digits only (no sign, no spaces), within [low, high]; moves *at past them.
bool ReadWhole(const char** at, const char* end, long long low, long long high, long long* value) {
  const char* cursor = *at;
  long long number = 0;
  if (cursor == end || *cursor < '0' || *cursor > '9') return false;
  for (; cursor < end && *cursor >= '0' && *cursor <= '9'; ++cursor) {
    number = number * 10 + (*cursor - '0');
    if (number > high) return false;
  }
  if (number < low) return false;
  *value = number;
  *at = cursor;
  return true;
}

bool ParseItem(const char* item, const char* end, RunKeyRange* range, char error[RUN_ERROR_SIZE]) {
  const int shown = Shown(std::size_t(end - item));
  const char* at = static_cast<const char*>(std::memchr(item, '@', std::size_t(end - item)));
  if (at == nullptr)
    return Fail(error, "'%.*s' is not KEY@FRAME or KEY@FIRST-LAST", shown, item);
  range->virtualKey = KeyByName(item, std::size_t(at - item));
  if (range->virtualKey < 0)
    return Fail(error, "'%.*s': unknown key (keys: left, right, up, down, escape, space)", shown,
                item);
  const char* cursor = at + 1;
  long long first = 0, last = 0;
  bool good = ReadWhole(&cursor, end, 1, INT_MAX, &first);
  last = first;
  if (good && cursor < end && *cursor == '-') {
    ++cursor;
    good = ReadWhole(&cursor, end, 1, INT_MAX, &last);
  }
  if (!good || cursor != end || last < first)
    return Fail(error, "'%.*s': frames must be FRAME or FIRST-LAST, counted from 1, FIRST <= LAST",
                shown, item);
  range->first = int(first);
  range->last = int(last);
  return true;
}

}  // namespace

bool RunKeysParse(const char* text, std::size_t length, std::vector<RunKeyRange>* ranges,
                  char error[RUN_ERROR_SIZE]) {
  if (length == 0) return true;
  const char* end = text + length;
  for (const char* item = text;;) {
    const char* itemEnd = static_cast<const char*>(std::memchr(item, ',', std::size_t(end - item)));
    if (itemEnd == nullptr) itemEnd = end;
    RunKeyRange range;
    if (!ParseItem(item, itemEnd, &range, error)) return false;
    ranges->push_back(range);
    if (itemEnd == end) return true;
    item = itemEnd + 1;
  }
}

unsigned RunKeysHeldIn(const std::vector<RunKeyRange>& ranges, int frame) {
  unsigned keys = 0;
  for (const RunKeyRange& range : ranges)
    if (frame >= range.first && frame <= range.last) keys |= HeldKeyBit(range.virtualKey);
  return keys;
}

namespace {

enum Field { FIELD_GENERATOR, FIELD_PICTURE, FIELD_SEED, FIELD_FRAMES, FIELD_CLOSE, FIELD_KEYS,
             FIELD_COUNT };
const char* const kFieldNames[FIELD_COUNT] = {"generator", "picture", "seed",
                                              "frames",    "close",   "keys"};
const bool kFieldRequired[FIELD_COUNT] = {true, true, true, true, false, false};

struct Reading {
  bool versionSeen = false;
  bool seen[FIELD_COUNT] = {};
  long long frames = 0;
  std::vector<RunKeyRange> ranges;
};

bool IsText(const char* text, std::size_t length) {
  for (std::size_t i = 0; i < length; ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if ((c < 0x20 || c > 0x7e) && c != '\n' && c != '\r' && c != '\t') return false;
  }
  return true;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool ReadVersion(const char* line, std::size_t length, char error[RUN_ERROR_SIZE]) {
  const char kHead[] = "vorn-run ";
  const std::size_t head = sizeof kHead - 1;
  if (length < head || std::memcmp(line, kHead, head) != 0)
    return Fail(error, "not a vorn run file (it does not begin with 'vorn-run %d')",
                RUN_FILE_VERSION);
  const char* at = line + head;
  long long version = 0;
  if (!ReadWhole(&at, line + length, 0, 999999, &version) || at != line + length ||
      version != RUN_FILE_VERSION)
    return Fail(error, "run file version '%.*s' is not known (this vorn reads version %d)",
                Shown(length - head), line + head, RUN_FILE_VERSION);
  return true;
}

bool ReadField(Reading* reading, RunFile* run, int field, const char* value, std::size_t length,
               char error[RUN_ERROR_SIZE]) {
  const char* end = value + length;
  const char* at = value;
  long long number = 0;
  switch (field) {
    case FIELD_GENERATOR:
      if (length == 0 || length > 15)
        return Fail(error, "'generator %.*s': not a generator's name", Shown(length), value);
      run->generator.assign(value, length);
      return true;
    case FIELD_PICTURE:
      if (length != SHA256_HEX_CHARS)
        return Fail(error, "'picture %.*s': not 64 hex digits", Shown(length), value);
      for (int i = 0; i < SHA256_BYTES; ++i) {
        const int high = HexValue(value[2 * i]), low = HexValue(value[2 * i + 1]);
        if (high < 0 || low < 0)
          return Fail(error, "'picture %.*s': not 64 hex digits", Shown(length), value);
        run->picture[i] = std::uint8_t(high << 4 | low);
      }
      return true;
    case FIELD_SEED:
      if (!ReadWhole(&at, end, 0, 4294967295LL, &number) || at != end)
        return Fail(error, "'seed %.*s': not a whole number from 0 to 4294967295", Shown(length),
                    value);
      run->seed = number;
      return true;
    case FIELD_FRAMES:
      if (!ReadWhole(&at, end, 1, RUN_MAX_FRAMES, &number) || at != end)
        return Fail(error, "'frames %.*s': not a whole number from 1 to %d", Shown(length), value,
                    RUN_MAX_FRAMES);
      reading->frames = number;
      return true;
    case FIELD_CLOSE:
      if (!ReadWhole(&at, end, 1, RUN_MAX_FRAMES, &number) || at != end)
        return Fail(error, "'close %.*s': not a frame number", Shown(length), value);
      run->closeFrame = int(number);
      return true;
    default:
      return RunKeysParse(value, length, &reading->ranges, error);
  }
}

bool ReadLine(Reading* reading, RunFile* run, const char* line, std::size_t length,
              char error[RUN_ERROR_SIZE]) {
  if (!reading->versionSeen) {
    reading->versionSeen = true;
    return ReadVersion(line, length, error);
  }
  const char* space = static_cast<const char*>(std::memchr(line, ' ', length));
  const std::size_t nameLength = space != nullptr ? std::size_t(space - line) : length;
  for (int field = 0; field < FIELD_COUNT; ++field) {
    if (std::strlen(kFieldNames[field]) != nameLength ||
        std::memcmp(kFieldNames[field], line, nameLength) != 0)
      continue;
    if (reading->seen[field] && field != FIELD_KEYS)
      return Fail(error, "'%s' is given twice", kFieldNames[field]);
    reading->seen[field] = true;
    const std::size_t skip = space != nullptr ? nameLength + 1 : nameLength;
    return ReadField(reading, run, field, line + skip, length - skip, error);
  }
  return Fail(error, "'%.*s': not a line of a run file", Shown(length), line);
}

// Each key's frames are marked through a running count of the ranges open
// at each frame, so overlapping ranges cost no more than the frames.
void MarkKeys(const Reading& reading, RunFile* run) {
  const int frames = int(reading.frames);
  run->keys.assign(std::size_t(frames), 0);
  std::vector<int> opened(std::size_t(frames) + 1);
  for (const KeyName& key : kKeyNames) {
    std::fill(opened.begin(), opened.end(), 0);
    for (const RunKeyRange& range : reading.ranges) {
      if (range.virtualKey != key.virtualKey) continue;
      ++opened[std::size_t(range.first - 1)];
      --opened[std::size_t(range.last)];
    }
    int open = 0;
    for (int frame = 0; frame < frames; ++frame) {
      open += opened[std::size_t(frame)];
      if (open > 0) run->keys[std::size_t(frame)] |= std::uint8_t(HeldKeyBit(key.virtualKey));
    }
  }
}

bool Finish(const Reading& reading, RunFile* run, char error[RUN_ERROR_SIZE]) {
  if (!reading.versionSeen) return Fail(error, "not a vorn run file (it is empty)");
  for (int field = 0; field < FIELD_COUNT; ++field)
    if (kFieldRequired[field] && !reading.seen[field])
      return Fail(error, "no '%s' line", kFieldNames[field]);
  if (run->closeFrame > reading.frames)
    return Fail(error, "'close %d': after the run's last frame, %lld", run->closeFrame,
                reading.frames);
  for (const RunKeyRange& range : reading.ranges)
    if (range.last > reading.frames)
      return Fail(error, "'%s@%d-%d': keys after the run's last frame, %lld",
                  NameOfKey(range.virtualKey), range.first, range.last, reading.frames);
  MarkKeys(reading, run);
  return true;
}

}  // namespace

bool RunFileRead(const char* text, std::size_t length, RunFile* run, char error[RUN_ERROR_SIZE]) {
  *run = RunFile();
  if (length > std::size_t(RUN_FILE_MAX_BYTES))
    return Fail(error, "larger than %d MiB: not a run file", RUN_FILE_MAX_BYTES >> 20);
  if (!IsText(text, length)) return Fail(error, "not a run file (not plain text)");
  Reading reading;
  const char* end = text + length;
  for (const char* line = text; line < end;) {
    const char* lineEnd = static_cast<const char*>(std::memchr(line, '\n', std::size_t(end - line)));
    if (lineEnd == nullptr) lineEnd = end;
    const char* next = lineEnd < end ? lineEnd + 1 : end;
    while (lineEnd > line && (lineEnd[-1] == '\r' || lineEnd[-1] == ' ' || lineEnd[-1] == '\t'))
      --lineEnd;
    if (lineEnd > line && line[0] != '#' &&
        !ReadLine(&reading, run, line, std::size_t(lineEnd - line), error)) {
      *run = RunFile();
      return false;
    }
    line = next;
  }
  if (!Finish(reading, run, error)) {
    *run = RunFile();
    return false;
  }
  return true;
}

namespace {

// Every stretch of frames in which a key is held, in the order the
// stretches start (keys in kKeyNames order within a frame).
std::vector<RunKeyRange> RangesOf(const std::vector<std::uint8_t>& keys) {
  std::vector<RunKeyRange> ranges;
  const int frames = int(keys.size());
  for (int frame = 1; frame <= frames; ++frame) {
    for (const KeyName& key : kKeyNames) {
      const unsigned bit = HeldKeyBit(key.virtualKey);
      const bool held = (keys[std::size_t(frame - 1)] & bit) != 0;
      const bool heldBefore = frame > 1 && (keys[std::size_t(frame - 2)] & bit) != 0;
      if (!held || heldBefore) continue;
      int last = frame;
      while (last < frames && (keys[std::size_t(last)] & bit) != 0) ++last;
      ranges.push_back({key.virtualKey, frame, last});
    }
  }
  return ranges;
}

// Keys lines stay short enough to read and to mail.
const std::size_t kKeysLineWidth = 72;

void AppendKeys(const std::vector<std::uint8_t>& keys, std::string* text) {
  std::string line;
  for (const RunKeyRange& range : RangesOf(keys)) {
    char item[48];
    if (range.first == range.last)
      std::snprintf(item, sizeof item, "%s@%d", NameOfKey(range.virtualKey), range.first);
    else
      std::snprintf(item, sizeof item, "%s@%d-%d", NameOfKey(range.virtualKey), range.first,
                    range.last);
    if (!line.empty() && line.size() + 1 + std::strlen(item) > kKeysLineWidth) {
      *text += "keys " + line + "\n";
      line.clear();
    }
    if (!line.empty()) line += ',';
    line += item;
  }
  if (!line.empty()) *text += "keys " + line + "\n";
}

}  // namespace

std::string RunFileText(const RunFile& run) {
  char hex[SHA256_HEX_CHARS + 1];
  Sha256Hex(run.picture, hex);
  char head[256];
  std::snprintf(head, sizeof head, "vorn-run %d\ngenerator %s\npicture %s\nseed %lld\nframes %zu\n",
                RUN_FILE_VERSION, run.generator.c_str(), hex, static_cast<long long>(run.seed),
                run.keys.size());
  std::string text = head;
  if (run.closeFrame > 0) text += "close " + std::to_string(run.closeFrame) + "\n";
  AppendKeys(run.keys, &text);
  return text;
}

bool RunFileWrite(const RunFile& run, const char* path, std::string* error) {
  const std::string text = RunFileText(run);
  std::string temporary = std::string(path) + ".XXXXXX";
  const int descriptor = mkstemp(temporary.data());
  if (descriptor < 0) {
    *error = std::string("cannot write '") + path + "' (" + std::strerror(errno) + ")";
    return false;
  }
  std::size_t written = 0;
  while (written < text.size()) {
    const ssize_t wrote = write(descriptor, text.data() + written, text.size() - written);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) break;
    written += std::size_t(wrote);
  }
  const int writeErrno = errno;
  const bool synced = written == text.size() && fsync(descriptor) == 0;
  const bool closed = close(descriptor) == 0;
  if (!synced || !closed || std::rename(temporary.c_str(), path) != 0) {
    const int cause = written < text.size() ? writeErrno : errno;
    std::remove(temporary.c_str());
    *error = std::string("cannot write '") + path + "' (" + std::strerror(cause) + ")";
    return false;
  }
  return true;
}

bool RunFileLoad(const char* path, RunFile* run, std::string* error) {
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) {
    *error = std::string("cannot read '") + path + "' (" + std::strerror(errno) + ")";
    return false;
  }
  std::string text;
  char buffer[65536];
  std::size_t got;
  while (text.size() <= std::size_t(RUN_FILE_MAX_BYTES) &&
         (got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
    text.append(buffer, got);
  const bool readFailed = std::ferror(file) != 0;
  std::fclose(file);
  if (readFailed) {
    *error = std::string("cannot read '") + path + "'";
    return false;
  }
  char why[RUN_ERROR_SIZE];
  if (!RunFileRead(text.data(), text.size(), run, why)) {
    *error = std::string("'") + path + "': " + why;
    return false;
  }
  return true;
}
