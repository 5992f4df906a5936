// Run files and their recording and playing back, as the hosts use them:
// what the reader refuses, that a written run reads back as itself, and
// that a recorded run played back hands the program the same keys in the
// same passes and ends where it ended.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "bmp_writer.h"
#include "kit.h"
#include "run_player.h"

namespace {

std::string RunText(const std::string& rest) {
  return "vorn-run 1\ngenerator glibc\npicture " + std::string(64, 'a') + "\nseed 7\n" + rest;
}

bool Read(const std::string& text, RunFile* run, std::string* why) {
  char error[RUN_ERROR_SIZE] = "";
  const bool good = RunFileRead(text.data(), text.size(), run, error);
  *why = error;
  return good;
}

// One line naming what is wrong, quoting no more than a short piece of a
// stranger's text, and no half-read run left behind.
TEST(RunFile, BadFilesAreRefusedWithOneShortLine) {
  const std::string x(5000, 'x');
  const std::pair<std::string, const char*> cases[] = {
      {"", "empty"},
      {std::string("vorn-run 1\n\0\n", 13), "not plain text"},
      {"GIF89a\n", "does not begin with 'vorn-run 1'"},
      {"vorn-run 2\n", "version '2' is not known"},
      {RunText("keys left@1\n"), "no 'frames' line"},
      {RunText("frames 1000001\n"), "'frames 1000001': not a whole number from 1 to 1000000"},
      {RunText("frames 5\nframes 6\n"), "'frames' is given twice"},
      {RunText("frames 5\nkeys left@4-6\n"), "'left@4-6': keys after the run's last frame, 5"},
      {RunText("frames 5\nclose 6\n"), "'close 6': after the run's last frame"},
      {RunText("frames 5\nkeys " + x + "\n"), "'xxxxxxxxxxxxxxxxxxxxxxxx' is not KEY@FRAME"},
      {RunText("frames 5\n" + x + "\n"), "'xxxxxxxxxxxxxxxxxxxxxxxx': not a line"},
      {RunText("frames 2\n").replace(35, 64, "abc"), "not 64 hex digits"},
      {std::string(RUN_FILE_MAX_BYTES + 1, '#'), "larger than 32 MiB"},
  };
  for (const auto& [text, said] : cases) {
    RunFile run;
    std::string why;
    EXPECT_FALSE(Read(text, &run, &why)) << text.substr(0, 60);
    EXPECT_NE(why.find(said), std::string::npos) << "said: " << why;
    EXPECT_TRUE(why.find('\n') == std::string::npos && why.size() < 120) << why;
    EXPECT_TRUE(run.keys.empty());
  }
}

// Overlapping ranges, keys over several lines, comments and Windows line
// ends read as one would expect; what the writer makes reads back as the
// same run.
TEST(RunFile, TextReadsBackAsTheSameRun) {
  RunFile run;
  std::string why;
  ASSERT_TRUE(Read("# by hand\r\n" + RunText("frames 9\r\nkeys left@2-5,left@4-6\r\n\r\nkeys up@9\n"),
                   &run, &why))
      << why;
  const std::uint8_t left = HeldKeyBit(VK_LEFT), up = HeldKeyBit(VK_UP);
  EXPECT_EQ(run.keys, (std::vector<std::uint8_t>{0, left, left, left, left, left, 0, 0, up}));

  RunFile written;
  written.generator = "musl";
  written.seed = 4294967295LL;
  for (int i = 0; i < SHA256_BYTES; ++i) written.picture[i] = std::uint8_t(i * 37);
  for (int frame = 0; frame < 3000; ++frame)
    written.keys.push_back(std::uint8_t((frame * 7 / 5 + frame / 13) % 64));
  RunFile back;
  ASSERT_TRUE(Read(RunFileText(written), &back, &why)) << why;
  EXPECT_TRUE(back.generator == written.generator && back.seed == written.seed &&
              back.closeFrame == 0 && back.keys == written.keys &&
              std::memcmp(back.picture, written.picture, SHA256_BYTES) == 0);
}

// What a pump hands out is what the coming frame reads: the player makes
// the program hear the recorded keys whatever the host's own say, with one
// quit request in the recorded pass.
TEST(RunRecorder, APlayedRunHandsOutTheRecordedKeysInTheSamePasses) {
  const std::uint8_t picture[SHA256_BYTES] = {1, 2, 3};
  RunRecorder recorder;
  RunRecorderStart(&recorder, 99, picture);
  std::vector<std::vector<HostEvent>> passes = {
      {},
      {{HostEventKind::KeyDown, VK_LEFT}, {HostEventKind::KeyDown, VK_DOWN}},
      {{HostEventKind::KeyUp, VK_LEFT}, {HostEventKind::DisplayLost, 0}},
      {{HostEventKind::AllKeysReleased, 0}, {HostEventKind::KeyDown, VK_UP}},
      {{HostEventKind::QuitRequested, 0}, {HostEventKind::KeyDown, 'P'}},
      {{HostEventKind::QuitRequested, 0}},
      {}};  // the pass that fetches WM_QUIT
  for (std::vector<HostEvent>& pass : passes) {
    // Known before the pass counts itself: the order in which a call's
    // arguments are worked out differs between compilers and machines.
    const int handedOut = recorder.passes == 5 ? 0 : int(pass.size());
    EXPECT_EQ(RunRecorderPass(&recorder, pass.data(), int(pass.size())), handedOut);
  }
  RunFile run;
  ASSERT_TRUE(RunRecorderFinish(&recorder, &run));
  const std::uint8_t left = HeldKeyBit(VK_LEFT), down = HeldKeyBit(VK_DOWN), up = HeldKeyBit(VK_UP);
  EXPECT_EQ(run.keys, (std::vector<std::uint8_t>{0, std::uint8_t(left | down), down, up, up, up}));
  EXPECT_TRUE(run.closeFrame == 5 && run.seed == 99 && run.generator == RunGeneratorName());

  RunPlayer player;
  RunPlayerStart(&player, &run);
  RunRecorder again;
  RunRecorderStart(&again, 99, picture);
  int quits = 0;
  for (int pass = 1; pass <= 7; ++pass) {
    HostEvent events[16] = {{HostEventKind::KeyDown, VK_RIGHT},
                            {HostEventKind::AllKeysReleased, 0},
                            {HostEventKind::QuitRequested, 0}};
    const int count = RunPlayerPass(&player, events, pass == 6 ? 3 : 2);
    for (int i = 0; i < count; ++i) {
      EXPECT_TRUE(events[i].kind != HostEventKind::AllKeysReleased &&
                  events[i].virtualKey != VK_RIGHT);
      quits += events[i].kind == HostEventKind::QuitRequested;
    }
    RunRecorderPass(&again, events, count);
  }
  RunFile replayed;
  ASSERT_TRUE(RunRecorderFinish(&again, &replayed));
  EXPECT_TRUE(quits == 1 && replayed.keys == run.keys && replayed.closeFrame == 5);
}

// Nine hours of frames fill the recording: it stops with one notice, the
// run goes on, and what was recorded is kept.
TEST(RunRecorder, StopsAtTheLimitAndTheRunGoesOn) {
  const std::uint8_t picture[SHA256_BYTES] = {};
  RunRecorder recorder;
  RunRecorderStart(&recorder, 1, picture);
  HostEvent down = {HostEventKind::KeyDown, VK_DOWN};
  RunRecorderPass(&recorder, &down, 1);
  for (int pass = 2; pass <= RUN_MAX_FRAMES; ++pass) RunRecorderPass(&recorder, nullptr, 0);
  EXPECT_EQ(recorder.notice, nullptr);
  for (int pass = 0; pass < 5; ++pass) RunRecorderPass(&recorder, nullptr, 0);
  ASSERT_NE(recorder.notice, nullptr);
  RunFile run;
  ASSERT_TRUE(RunRecorderFinish(&recorder, &run));
  EXPECT_TRUE(run.keys.size() == std::size_t(RUN_MAX_FRAMES) &&
              run.keys.back() == HeldKeyBit(VK_DOWN));
}

// Whole or not at all: a file that cannot be written leaves nothing, one
// that can replaces what was there, with no temporary file left.
TEST(RunFile, WritesTheWholeFileOrNone) {
  ScratchFolder scratch;
  RunFile run, back;
  run.generator = "glibc";
  run.keys.assign(5, 0);
  std::string why;
  EXPECT_FALSE(RunFileWrite(run, (scratch / "missing/run").c_str(), &why));
  ASSERT_TRUE(BmpWriteFile((scratch / "run").c_str(), Bytes(100000, 'x')));
  ASSERT_TRUE(RunFileWrite(run, (scratch / "run").c_str(), &why)) << why;
  ASSERT_TRUE(RunFileLoad((scratch / "run").c_str(), &back, &why)) << why;
  EXPECT_EQ(back.keys.size(), 5u);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(scratch.path), {}), 1);
}

// One pass of the player and the present after it, at the host's clock
// now: whether the frame was shown.
bool PlayAPass(RunPlayer* player, std::int64_t now, std::vector<HostEvent>* handedOut = nullptr) {
  HostEvent events[RUN_PASS_ROOM + 1] = {{HostEventKind::KeyDown, VK_RIGHT}};
  const int count = RunPlayerPass(player, events, 1);
  if (handedOut != nullptr) handedOut->assign(events, events + count);
  return RunPlayerShows(player, now);
}

// A seek ahead computes the frames on the way unseen and lands; past the
// end it lands on the last frame and pauses there; back it ends the program
// once, to play from the start again. Speeds are clamped and pace the run.
TEST(RunPlayer, SeeksLandOnTheFrameAskedForAndSpeedsPaceTheRun) {
  RunFile run;
  run.keys.assign(100, 0);
  RunPlayer player;
  RunPlayerStart(&player, &run);
  for (int frame = 1; frame <= 3; ++frame) EXPECT_TRUE(PlayAPass(&player, 0));
  RunPlayerSeek(&player, 50);
  for (int frame = 4; frame < 50; ++frame) EXPECT_FALSE(PlayAPass(&player, 0)) << frame;
  EXPECT_TRUE(PlayAPass(&player, 0) && player.shown == 50 && !RunPlayerBusy(player));
  EXPECT_FALSE(RunPlayerTakePause(&player));

  RunPlayerSeek(&player, -7);
  std::vector<HostEvent> events;
  for (int pass = 0; pass < 3; ++pass) {
    EXPECT_FALSE(PlayAPass(&player, 0, &events));
    EXPECT_EQ(events.size(), pass == 0 ? 1u : 0u) << "one quit request, and no key";
  }
  ASSERT_TRUE(RunPlayerRestarting(player));
  RunPlayerRestart(&player);
  EXPECT_TRUE(PlayAPass(&player, 0) && player.shown == 1);

  RunPlayerSetSpeed(&player, 99);
  EXPECT_EQ(RunPlayerSleepMs(&player, 30, 0), 0u);
  RunPlayerSetSpeed(&player, RUN_SPEED_QUADRUPLE);
  // A frame every 3 ms of the clock: one shown each 12 ms after a present ends.
  int shown = 0;
  for (int frame = 2; frame <= 41; ++frame) shown += PlayAPass(&player, 3 * frame);
  EXPECT_TRUE(shown >= 8 && shown <= 11) << shown;
  RunPlayerSeek(&player, 1 << 30);
  while (!PlayAPass(&player, 0)) continue;
  EXPECT_TRUE(player.shown == 100 && RunPlayerTakePause(&player) && !RunPlayerTakePause(&player));
  RunPlayerSetSpeed(&player, -99);
  EXPECT_EQ(RunPlayerSleepMs(&player, 30, 1000), 133u);
  EXPECT_EQ(RunPlayerSleepMs(&player, 30, 1153), 113u) << "not due one frame after the last";
}

// The user's quit during a restart ends the program for good; a take-over
// hands over what the user holds and records on; none once the run's own
// quit was handed out.
TEST(RunPlayer, AQuitEndsARestartAndATakeOverHandsTheUserTheKeys) {
  RunFile run;
  run.keys.assign(10, std::uint8_t(HeldKeyBit(VK_LEFT)));
  RunPlayer player;
  RunPlayerStart(&player, &run);
  PlayAPass(&player, 0);
  PlayAPass(&player, 0);
  RunPlayerSeek(&player, 1);
  PlayAPass(&player, 0);
  HostEvent closed = {HostEventKind::QuitRequested, 0};
  EXPECT_EQ(RunPlayerPass(&player, &closed, 1), 0) << "one quit request a life";
  EXPECT_FALSE(RunPlayerRestarting(player));

  RunPlayerStart(&player, &run);
  RunRecorder recorder;
  RunRecorderRestart(&recorder, run);
  std::vector<HostEvent> events;
  PlayAPass(&player, 0, &events);
  RunRecorderPass(&recorder, events.data(), int(events.size()));
  HostEvent reports[HELD_KEY_COUNT];
  HeldKeyChange(HELD_KEYBOARD, VK_UP, true, reports);
  ASSERT_TRUE(RunPlayerTakeOver(&player));
  EXPECT_FALSE(RunPlayerReplaying(player));
  PlayAPass(&player, 0, &events);
  HeldKeysForgetAll();
  RunRecorderPass(&recorder, events.data(), int(events.size()));
  EXPECT_EQ(player.run, nullptr);
  EXPECT_EQ(recorder.run.keys, (std::vector<std::uint8_t>{std::uint8_t(HeldKeyBit(VK_LEFT)),
                                                           std::uint8_t(HeldKeyBit(VK_UP))}));

  RunPlayerStart(&player, &run);
  for (int pass = 0; pass < 10; ++pass) PlayAPass(&player, 0);  // the run's end hands its quit out
  EXPECT_FALSE(RunPlayerTakeOver(&player));
}

}  // namespace
