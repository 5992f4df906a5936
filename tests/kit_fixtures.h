// The test kit's GoogleTest parts: a run of the program checked to end
// clean, and a display opened by hand for every test of a suite.
#pragma once

#include <gtest/gtest.h>

#include "kit.h"

// HeadlessRun, checked to have ended clean (see UncleanEnd).
inline HeadlessResult RunClean(const HeadlessConfig& config) {
  HeadlessResult result = HeadlessRun(config);
  EXPECT_EQ(UncleanEnd(result), "");
  return result;
}

// Every test starts with a TestDisplay open on a default platform.
class DisplayTest : public ::testing::Test, public TestDisplay {
 protected:
  void SetUp() override { ASSERT_TRUE(Open()); }
  void TearDown() override { Close(); }

  // Opens the display afresh on a platform set up by config.
  bool Reopen(const HeadlessConfig& config) {
    Close();
    return Open(config);
  }
};
