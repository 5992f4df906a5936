#include "run_player.h"

#include <cstdio>
#include <cstring>

namespace {

// Above twice the speed, a frame is shown only this long after the last
// present ended: a display shows a new picture about every 16 ms, and a
// present waits for it, so that showing each would hold the run to the
// display's pace.
constexpr std::int64_t kFastShowMs = 12;

// A frame's time at each speed but 1x, whose pace is the program's own;
// frames are due one such time after another, whatever the presents take.
constexpr double kFrameMs[RUN_SPEED_COUNT] = {4000.0 / RUN_FRAMES_PER_SECOND,
                                              2000.0 / RUN_FRAMES_PER_SECOND, 0,
                                              500.0 / RUN_FRAMES_PER_SECOND,
                                              250.0 / RUN_FRAMES_PER_SECOND, 0};
// A run more than this far behind its pace (after a pause, a seek, a busy
// machine) takes up its pace from now rather than hurrying to catch up.
constexpr double kBehindMs = 250;

int LastFrame(const RunPlayer& player) { return int(player.run->keys.size()); }

// A run plays and is not being taken over: the controls work.
bool Playing(const RunPlayer& player) {
  return player.run != nullptr && !player.run->keys.empty() && !player.takingOver;
}

int Clamp(int value, int low, int high) { return value < low ? low : value > high ? high : value; }

// "m:ss", or "h:mm:ss" from an hour on.
void AppendTime(char* text, std::size_t size, int frames) {
  const int seconds = frames / RUN_FRAMES_PER_SECOND;
  const std::size_t used = std::strlen(text);
  if (seconds >= 3600)
    std::snprintf(text + used, size - used, "%d:%02d:%02d", seconds / 3600, seconds / 60 % 60,
                  seconds % 60);
  else
    std::snprintf(text + used, size - used, "%d:%02d", seconds / 60, seconds % 60);
}

}  // namespace

void RunPlayerSeek(RunPlayer* player, int frame) {
  if (!Playing(*player)) return;
  const int last = LastFrame(*player);
  frame = Clamp(frame, 1, last);
  player->pauseAtLanding = frame == last;
  if (player->restarting || frame > player->passes) {
    player->target = frame;
  } else if (frame == player->passes && frame == player->shown) {
    player->target = 0;  // there already
    player->pauseWanted = player->pauseAtLanding;
  } else {
    player->target = frame;
    player->restarting = true;
  }
}

int RunPlayerPosition(const RunPlayer& player) {
  return player.target != 0 ? player.target : player.shown;
}

void RunPlayerSetSpeed(RunPlayer* player, int speed) {
  player->speed = Clamp(speed, 0, RUN_SPEED_COUNT - 1);
}

RunKeyEffect RunPlayerKey(RunPlayer* player, int key) {
  if (!Playing(*player)) return RunKeyEffect::Ignored;
  const int at = RunPlayerPosition(*player);
  if (key >= '0' && key <= '9') {
    RunPlayerSeek(player, int(std::int64_t(key - '0') * LastFrame(*player) / 10));
    return RunKeyEffect::Taken;
  }
  switch (key) {
    case '.':
    case ',':
      RunPlayerSeek(player, key == '.' ? at + 1 : at - 1);
      return RunKeyEffect::TakenPaused;
    case '>':
    case '<':
      RunPlayerSetSpeed(player, player->speed + (key == '>' ? 1 : -1));
      return RunKeyEffect::Taken;
    case 'j':
    case 'J':
    case 'l':
    case 'L':
      RunPlayerSeek(player, at + ((key | 0x20) == 'l' ? RUN_SKIP_FRAMES : -RUN_SKIP_FRAMES));
      return RunKeyEffect::Taken;
    case RUN_KEY_HOME:
    case RUN_KEY_END:
      RunPlayerSeek(player, key == RUN_KEY_HOME ? 1 : LastFrame(*player));
      return RunKeyEffect::Taken;
    case 't':
    case 'T':
      RunPlayerTakeOver(player);
      return RunKeyEffect::Taken;
    default:
      return RunKeyEffect::Ignored;
  }
}

bool RunPlayerTakeOver(RunPlayer* player) {
  if (!Playing(*player) || (player->quitHandedOut && !player->restarting)) return false;
  RunPlayerPausing(player);  // at a high speed, the frame computed is shown first
  player->takingOver = true;
  return true;
}

bool RunPlayerReplaying(const RunPlayer& player) {
  return player.run != nullptr && !player.takingOver;
}

int RunPlayerPassAside(RunPlayer* player, HostEvent* events, int count) {
  if (!player->restarting) {
    // What the user holds now replaces what the run held.
    count += HeldKeysReportChange(player->held, HeldKeysAll(), events + count);
    player->held = 0;
    player->takingOver = false;
    player->run = nullptr;
    return count;
  }
  // The user's own quit request (the window closed) ends the program for
  // good; one is handed out per life of the program either way.
  bool quit = false;
  for (int i = 0; i < count; ++i) quit = quit || events[i].kind == HostEventKind::QuitRequested;
  if (quit) player->restarting = false;
  if (player->quitHandedOut) {
    int kept = 0;
    for (int i = 0; i < count; ++i)
      if (events[i].kind != HostEventKind::QuitRequested) events[kept++] = events[i];
    return kept;
  }
  player->quitHandedOut = true;
  if (!quit) events[count++] = {HostEventKind::QuitRequested, 0};
  return count;
}

bool RunPlayerBusy(const RunPlayer& player) {
  return player.run != nullptr && (player.restarting || player.target != 0);
}

bool RunPlayerShows(RunPlayer* player, std::int64_t nowMs) {
  if (player->run == nullptr) return true;
  const bool presentEnded = player->justShown;
  player->justShown = false;
  if (presentEnded) player->shownAtMs = nowMs;
  const int frame = player->passes;
  if (player->restarting || frame < player->target || frame < 1) return false;
  const bool landing = player->target != 0;
  const bool fast = player->speed >= RUN_SPEED_QUADRUPLE;
  const std::int64_t since = nowMs - player->shownAtMs;
  if (!landing && fast && frame < LastFrame(*player) &&
      (presentEnded || (since >= 0 && since < kFastShowMs)))
    return false;
  if (landing) player->pauseWanted = player->pauseAtLanding;
  player->target = 0;
  player->shown = frame;
  player->justShown = true;
  return true;
}

std::uint32_t RunPlayerSleepMs(RunPlayer* player, std::uint32_t milliseconds,
                               std::int64_t nowMs) {
  if (player->run == nullptr) return milliseconds;
  if (RunPlayerBusy(*player) || player->speed == RUN_SPEED_FASTEST) return 0;
  if (player->speed == RUN_SPEED_NORMAL) return milliseconds;
  const double now = double(nowMs);
  const double frame = kFrameMs[player->speed];
  player->dueMs += frame;
  if (player->dueMs < now - kBehindMs || player->dueMs > now + frame) player->dueMs = now + frame;
  return player->dueMs > now ? std::uint32_t(player->dueMs - now) : 0;
}

void RunPlayerPausing(RunPlayer* player) {
  if (!Playing(*player) || RunPlayerBusy(*player) || player->shown >= player->passes) return;
  player->target = Clamp(player->passes + 1, 1, LastFrame(*player));
  if (player->target <= player->passes) player->target = 0;
}

bool RunPlayerTakePause(RunPlayer* player) {
  const bool wanted = player->pauseWanted && player->run != nullptr;
  player->pauseWanted = false;
  return wanted;
}

bool RunPlayerRestarting(const RunPlayer& player) {
  return player.run != nullptr && player.restarting;
}

void RunPlayerRestart(RunPlayer* player) {
  player->held = 0;
  player->passes = 0;
  player->quitHandedOut = false;
  player->restarting = false;
}

void RunPlayerPositionText(const RunPlayer& player, char* text, std::size_t size) {
  if (size == 0) return;
  text[0] = '\0';
  if (!Playing(player)) return;
  static const char* const speeds[RUN_SPEED_COUNT] = {", at 1/4x", ", at 1/2x", "", ", at 2x",
                                                      ", at 4x", ", as fast as can be"};
  const int shown = player.shown > 0 ? player.shown : 1;
  std::snprintf(text, size, "frame %d of %d, ", shown, LastFrame(player));
  AppendTime(text, size, shown - 1);
  std::size_t used = std::strlen(text);
  std::snprintf(text + used, size - used, " of ");
  AppendTime(text, size, LastFrame(player));
  used = std::strlen(text);
  std::snprintf(text + used, size - used, "%s", speeds[player.speed]);
}

void RunRecorderRestart(RunRecorder* recorder, const RunFile& played) {
  std::vector<std::uint8_t> keys;
  keys.swap(recorder->run.keys);
  keys.clear();
  if (keys.capacity() < std::size_t(RUN_MAX_FRAMES)) keys.reserve(RUN_MAX_FRAMES);
  *recorder = RunRecorder();
  recorder->on = true;
  recorder->run.generator = played.generator;
  recorder->run.seed = played.seed;
  std::memcpy(recorder->run.picture, played.picture, SHA256_BYTES);
  recorder->run.keys.swap(keys);
}
