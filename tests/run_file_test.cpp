// Run files and their recording and playing back, as the hosts use them:
// what the reader refuses, that a written run reads back as itself, and
// that a recorded run played back hands the program the same keys in the
// same passes.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "bmp_writer.h"
#include "kit.h"
#include "run_recorder.h"

namespace {

const std::string kPicture(64, 'a');

std::string RunText(const std::string& rest) {
  return "vorn-run 1\ngenerator glibc\npicture " + kPicture + "\nseed 7\n" + rest;
}

bool Read(const std::string& text, RunFile* run, std::string* why) {
  char error[RUN_ERROR_SIZE] = "";
  const bool good = RunFileRead(text.data(), text.size(), run, error);
  *why = error;
  return good;
}

// Every way a file can be bad gets one line naming what is wrong, quotes
// no more than a short piece of it, and leaves no half-read run behind.
TEST(RunFile, BadFilesAreRefusedWithOneShortLine) {
  const std::string longLine(5000, 'x');
  struct Case {
    std::string text;
    const char* said;
  } cases[] = {
      {"", "empty"},
      {std::string("vorn-run 1\n\0\n", 13), "not plain text"},
      {"\x89PNG\r\n", "not plain text"},
      {"GIF89a\n", "does not begin with 'vorn-run 1'"},
      {"vorn-run 2\n", "version '2' is not known"},
      {"vorn-run 1x\n", "version '1x'"},
      {RunText("keys left@1\n"), "no 'frames' line"},
      {"vorn-run 1\nseed 1\nframes 3\npicture " + kPicture + "\n", "no 'generator' line"},
      {RunText("frames 0\n"), "'frames 0': not a whole number from 1 to 1000000"},
      {RunText("frames 1000001\n"), "'frames 1000001'"},
      {RunText("frames 99999999999999999999\n"), "'frames 99999999999999999"},
      {RunText("frames 5\nframes 6\n"), "'frames' is given twice"},
      {RunText("frames 5\nkeys left@4-6\n"), "'left@4-6': keys after the run's last frame, 5"},
      {RunText("frames 5\nkeys up@9\n"), "after the run's last frame"},
      {RunText("frames 5\nclose 6\n"), "'close 6': after the run's last frame"},
      {RunText("frames 5\nkeys jump@1\n"), "unknown key"},
      {RunText("frames 5\nkeys left@3-2\n"), "FIRST <= LAST"},
      {RunText("frames 5\nkeys left@1,,up@2\n"), "is not KEY@FRAME"},
      {RunText("frames 5\nkeys " + longLine + "\n"), "'xxxxxxxxxxxxxxxxxxxxxxxx' is not"},
      {RunText("frames 5\n" + longLine + "\n"), "'xxxxxxxxxxxxxxxxxxxxxxxx': not a line"},
      {"vorn-run 1\ngenerator glibc\npicture abc\nseed 1\nframes 2\n", "not 64 hex digits"},
      {"vorn-run 1\ngenerator glibc\npicture " + kPicture + "\nseed -1\nframes 2\n",
       "'seed -1': not a whole number from 0 to 4294967295"},
  };
  for (const Case& c : cases) {
    RunFile run;
    std::string why;
    EXPECT_FALSE(Read(c.text, &run, &why)) << c.text.substr(0, 60);
    EXPECT_NE(why.find(c.said), std::string::npos) << "said: " << why;
    EXPECT_EQ(why.find('\n'), std::string::npos) << why;
    EXPECT_LT(why.size(), 120u) << why;
    EXPECT_TRUE(run.keys.empty());
  }
  RunFile run;
  std::string why;
  const std::string huge(RUN_FILE_MAX_BYTES + 1, '#');
  EXPECT_FALSE(Read(huge, &run, &why));
  EXPECT_NE(why.find("larger than 32 MiB"), std::string::npos) << why;
}

// Overlapping ranges, a key held into the last frame, a frame of its own,
// keys spread over lines, comments, Windows line ends: the text the writer
// makes reads back as the same run, and so does the text a person wrote.
TEST(RunFile, TextReadsBackAsTheSameRun) {
  RunFile run;
  std::string why;
  ASSERT_TRUE(Read("# made by hand\r\n" + RunText("frames 40\r\nclose 39\r\n"
                   "keys left@2-5,left@4-9,escape@40\r\n\r\nkeys down@7,space@1-1\n"),
                   &run, &why))
      << why;
  EXPECT_EQ(run.generator, "glibc");
  EXPECT_EQ(run.seed, 7);
  EXPECT_EQ(run.closeFrame, 39);
  EXPECT_EQ(run.picture[0], 0xaa);
  ASSERT_EQ(run.keys.size(), 40u);
  for (int frame = 1; frame <= 40; ++frame) {
    unsigned expected = 0;
    if (frame >= 2 && frame <= 9) expected |= HeldKeyBit(VK_LEFT);
    if (frame == 7) expected |= HeldKeyBit(VK_DOWN);
    if (frame == 40) expected |= HeldKeyBit(VK_ESCAPE);
    if (frame == 1) expected |= HeldKeyBit(VK_SPACE);
    EXPECT_EQ(RunPlayerKeysAt(run, frame), expected) << frame;
  }

  RunFile written;
  written.generator = "musl";
  written.seed = 4294967295LL;
  for (int i = 0; i < SHA256_BYTES; ++i) written.picture[i] = std::uint8_t(i * 37);
  for (int frame = 0; frame < 3000; ++frame)
    written.keys.push_back(std::uint8_t((frame * 7 / 5 + frame / 13) % 64));
  RunFile back;
  const std::string text = RunFileText(written);
  ASSERT_TRUE(Read(text, &back, &why)) << why;
  EXPECT_EQ(back.generator, written.generator);
  EXPECT_EQ(back.seed, written.seed);
  EXPECT_EQ(std::memcmp(back.picture, written.picture, SHA256_BYTES), 0);
  EXPECT_EQ(back.closeFrame, 0);
  EXPECT_TRUE(back.keys == written.keys);
  EXPECT_EQ(text.find("\nclose"), std::string::npos);
}

// What the host hands out in a pass is what the coming frame reads; the
// player makes the program hear the same, whatever its own keys say, and
// a second quit request never reaches the program.
TEST(RunRecorder, APlayedRunHandsOutTheRecordedKeysInTheSamePasses) {
  const std::uint8_t picture[SHA256_BYTES] = {1, 2, 3};
  RunRecorder recorder;
  RunRecorderStart(&recorder, 99, picture);
  const std::vector<std::vector<HostEvent>> passes = {
      {},
      {{HostEventKind::KeyDown, VK_LEFT}, {HostEventKind::KeyDown, VK_DOWN}},
      {{HostEventKind::KeyUp, VK_LEFT}, {HostEventKind::DisplayLost, 0}},
      {{HostEventKind::AllKeysReleased, 0}, {HostEventKind::KeyDown, VK_UP}},
      {{HostEventKind::QuitRequested, 0}, {HostEventKind::KeyDown, 'P'}},
      {{HostEventKind::QuitRequested, 0}},
      {}};  // the pass that fetches WM_QUIT
  for (std::vector<HostEvent> pass : passes) {
    const int before = int(pass.size());
    const int count = RunRecorderPass(&recorder, pass.data(), before);
    EXPECT_EQ(count, before == 1 && pass[0].kind == HostEventKind::QuitRequested &&
                             recorder.passes == 6 ? 0 : before);
  }
  RunFile run;
  ASSERT_TRUE(RunRecorderFinish(&recorder, &run));
  const std::vector<unsigned> expected = {0, HeldKeyBit(VK_LEFT) | HeldKeyBit(VK_DOWN),
                                          HeldKeyBit(VK_DOWN), HeldKeyBit(VK_UP),
                                          HeldKeyBit(VK_UP), HeldKeyBit(VK_UP)};
  ASSERT_EQ(run.keys.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(run.keys[i], expected[i]) << i;
  EXPECT_EQ(run.closeFrame, 5);
  EXPECT_EQ(run.seed, 99);
  EXPECT_EQ(run.generator, RunGeneratorName());

  // Played back over a host whose own keys say otherwise, recorded again.
  RunPlayer player;
  RunPlayerStart(&player, &run);
  RunRecorder again;
  RunRecorderStart(&again, 99, picture);
  int quits = 0;
  for (int pass = 1; pass <= 7; ++pass) {
    HostEvent events[16] = {{HostEventKind::KeyDown, VK_RIGHT}, {HostEventKind::AllKeysReleased, 0},
                            {HostEventKind::QuitRequested, 0}};
    int count = pass == 6 ? 3 : 2;
    count = RunPlayerPass(&player, events, count);
    for (int i = 0; i < count; ++i) {
      EXPECT_NE(events[i].kind, HostEventKind::AllKeysReleased);
      EXPECT_NE(events[i].virtualKey, VK_RIGHT);
      quits += events[i].kind == HostEventKind::QuitRequested;
    }
    RunRecorderPass(&again, events, count);
  }
  EXPECT_EQ(quits, 1);
  RunFile replayed;
  ASSERT_TRUE(RunRecorderFinish(&again, &replayed));
  EXPECT_TRUE(replayed.keys == run.keys);
  EXPECT_EQ(replayed.closeFrame, run.closeFrame);
}

// A run whose keys never quit ends at its last frame; one that quits by
// its keys is left to end by them, as it did when it was recorded.
TEST(RunRecorder, APlayedRunEndsWhereItsRecordingEnded) {
  RunFile run;
  run.keys.assign(10, 0);
  EXPECT_FALSE(RunPlayerQuitsAt(run, 9));
  EXPECT_TRUE(RunPlayerQuitsAt(run, 10));
  run.keys[7] = std::uint8_t(HeldKeyBit(VK_SPACE));
  EXPECT_FALSE(RunPlayerQuitsAt(run, 10));
  run.closeFrame = 4;
  EXPECT_TRUE(RunPlayerQuitsAt(run, 4));
  EXPECT_FALSE(RunPlayerQuitsAt(run, 10));
}

// The page shares a run while it goes on: its first frames, with the close
// only if it came by then. A run from another C library is refused by
// name; one made with another picture plays, and the host is told.
TEST(RunRecorder, ARunSoFarAndWhatMayBePlayed) {
  std::uint8_t picture[SHA256_BYTES] = {5};
  RunRecorder recorder;
  RunRecorderStart(&recorder, 3, picture);
  HostEvent left = {HostEventKind::KeyDown, VK_LEFT}, quit = {HostEventKind::QuitRequested, 0};
  RunRecorderPass(&recorder, &left, 1);
  for (int pass = 2; pass <= 6; ++pass)
    RunRecorderPass(&recorder, pass == 6 ? &quit : nullptr, pass == 6);
  RunFile part;
  EXPECT_FALSE(RunRecorderSoFar(recorder, 7, &part));
  ASSERT_TRUE(RunRecorderSoFar(recorder, 4, &part));
  EXPECT_EQ(part.keys, std::vector<std::uint8_t>(4, HeldKeyBit(VK_LEFT)));
  EXPECT_EQ(part.closeFrame, 0);
  ASSERT_TRUE(RunRecorderSoFar(recorder, 6, &part));
  EXPECT_EQ(part.closeFrame, 6);

  bool samePicture = false;
  char error[RUN_ERROR_SIZE] = "";
  EXPECT_TRUE(RunPlayable(part, picture, &samePicture, error));
  EXPECT_TRUE(samePicture);
  picture[1] = 1;
  part.generator = part.generator == "musl" ? "glibc" : "musl";
  EXPECT_FALSE(RunPlayable(part, picture, &samePicture, error));
  EXPECT_FALSE(samePicture);
  EXPECT_NE(std::string(error).find("made with " + part.generator + "'s random numbers"),
            std::string::npos)
      << error;
}

// Nine hours of frames fill the recording; the run goes on unrecorded,
// with one notice, and what was recorded is kept.
TEST(RunRecorder, StopsAtTheLimitAndTheRunGoesOn) {
  const std::uint8_t picture[SHA256_BYTES] = {};
  RunRecorder recorder;
  RunRecorderStart(&recorder, 1, picture);
  HostEvent down = {HostEventKind::KeyDown, VK_DOWN};
  RunRecorderPass(&recorder, &down, 1);
  for (int pass = 2; pass <= RUN_MAX_FRAMES + 5; ++pass) {
    RunRecorderPass(&recorder, nullptr, 0);
    if (pass == RUN_MAX_FRAMES) {
      EXPECT_EQ(recorder.notice, nullptr);
    }
  }
  ASSERT_NE(recorder.notice, nullptr);
  RunFile run;
  ASSERT_TRUE(RunRecorderFinish(&recorder, &run));
  EXPECT_EQ(run.keys.size(), std::size_t(RUN_MAX_FRAMES));
  EXPECT_EQ(run.keys.back(), HeldKeyBit(VK_DOWN));
}

// Whole or not at all: a file that cannot be written leaves nothing
// behind, and one that can replaces what was there.
TEST(RunFile, WritesTheWholeFileOrNone) {
  ScratchFolder scratch;
  RunFile run;
  run.generator = "glibc";
  run.keys.assign(5, 0);
  std::string why;
  EXPECT_FALSE(RunFileWrite(run, (scratch / "missing/run.txt").c_str(), &why));
  EXPECT_NE(why.find("cannot write"), std::string::npos);
  const std::string path = scratch / "run.txt";
  ASSERT_TRUE(BmpWriteFile(path.c_str(), Bytes(100000, 'x')));
  ASSERT_TRUE(RunFileWrite(run, path.c_str(), &why)) << why;
  RunFile back;
  ASSERT_TRUE(RunFileLoad(path.c_str(), &back, &why)) << why;
  EXPECT_EQ(back.keys.size(), 5u);
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(scratch.path))
    files += !entry.is_directory();
  EXPECT_EQ(files, 1);
  EXPECT_FALSE(RunFileLoad((scratch / "none").c_str(), &back, &why));
  EXPECT_NE(why.find("cannot read"), std::string::npos);
}

TEST(Sha256, KnownDigests) {
  struct Case {
    std::string text;
    const char* hex;
  } cases[] = {
      {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {std::string(1000000, 'a'),
       "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
  };
  for (const Case& c : cases) {
    Sha256 hash;
    Sha256Begin(&hash);
    // In uneven pieces, as a file is read.
    for (std::size_t at = 0; at < c.text.size(); at += 777)
      Sha256Add(&hash, c.text.data() + at, std::min<std::size_t>(777, c.text.size() - at));
    std::uint8_t digest[SHA256_BYTES];
    Sha256End(&hash, digest);
    char hex[SHA256_HEX_CHARS + 1];
    Sha256Hex(digest, hex);
    EXPECT_STREQ(hex, c.hex) << c.text.size();
  }
}

}  // namespace
