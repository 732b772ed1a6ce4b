// What the tests of the subsystems share: a clean fake door and a console leading to it.
#pragma once

#include <gtest/gtest.h>

#include "errors/console_output.h"
#include "fake_platform.h"

/// The console of the fake door: its handles, the texts in English.
inline constexpr Console kFakeConsole = {kEnglish, kFakeInput, kFakeOutput, kFakeError};

/// A test on a clean fake door: no files, faults, keys or system texts; the console
/// kFakeConsole, or console_ as the test changes it.
class FakeDoorTest : public testing::Test {
 protected:
  FakeDoorTest() { FakePlatformReset(); }
  Console console_ = kFakeConsole;
};

/// A statement that must end the process through the door with code.
#define EXPECT_PLATFORM_EXIT(statement, code) \
  EXPECT_EXIT(                                \
      {                                       \
        FakePlatform.exitExpected = true;     \
        statement;                            \
      },                                      \
      ::testing::ExitedWithCode(code), "")
