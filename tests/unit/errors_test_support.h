// What the tests of the subsystems share: a clean fake door with the console handles
// leading to it, and the records put back after each test.
#pragma once

#include <gtest/gtest.h>

#include "errors/console_output.h"
#include "errors/report_texts.h"
#include "fake_platform.h"
#include "process_records.h"

/// A test on a clean fake door: no files, faults, keys or system texts, the console
/// handles the fake's, the tables in English. Every process-wide record is put back
/// after it, whatever the test changed.
class FakeDoorTest : public testing::Test {
 protected:
  FakeDoorTest() {
    FakePlatformReset();
    StdHandles = {kFakeInput, kFakeOutput, kFakeError};
    SetReportLanguage(false);
  }
  KeepProcessRecords records_;
};

/// A statement that must end the process through the door with code.
#define EXPECT_PLATFORM_EXIT(statement, code) \
  EXPECT_EXIT(                                \
      {                                       \
        FakePlatform.exitExpected = true;     \
        statement;                            \
      },                                      \
      ::testing::ExitedWithCode(code), "")
