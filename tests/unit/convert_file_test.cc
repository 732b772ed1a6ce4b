// The file converter against planned faults: every answer on every guarded call.
#include "fileconv/convert_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

#include "codepage/byte_maps.h"
#include "errors/error_context.h"
#include "errors_test_support.h"
#include "platform/posix/seams.h"
#include "process_records.h"
#include "published_maps.h"

namespace {

std::vector<uint8_t> Converted(std::vector<uint8_t> data, size_t from, size_t to) {
  for (size_t i = from; i < to && i < data.size(); ++i)
    data[i] = kExpected1251To866[data[i]];
  return data;
}

class ConvertFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    PlatformSeams = {};
    console_ = std::make_unique<ConsoleCapture>();
    SetReportLanguage(false);
    ByteConverter = MapCp1251ToCp866;
    char pattern[] = "/tmp/pelcor-convert-XXXXXX";
    const int fd = mkstemp(pattern);
    ASSERT_GE(fd, 0);
    close(fd);
    path_ = pattern;
    original_.clear();
    for (size_t i = 0; i < 2500; ++i)
      original_.push_back(static_cast<uint8_t>(0xC0 + i % 64));
    WriteFileBytes(original_);
  }

  void TearDown() override {
    keys_.reset();
    console_.reset();
    PlatformSeams = {};
    unlink(path_.c_str());
  }

  // A new file and a clean slate, for one more case inside a test.
  void Fresh() {
    TearDown();
    SetUp();
  }

  void WriteFileBytes(const std::vector<uint8_t>& data) {
    FILE* f = fopen(path_.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    fwrite(data.data(), 1, data.size(), f);
    fclose(f);
  }

  std::vector<uint8_t> FileBytes() {
    std::vector<uint8_t> data(8192);
    FILE* f = fopen(path_.c_str(), "rb");
    data.resize(fread(data.data(), 1, data.size(), f));
    fclose(f);
    return data;
  }

  // The operator's keys come from a pipe that ends after them.
  void Answer(const char* keys) { keys_ = std::make_unique<PipedKeys>(keys); }

  void Fail(FaultedCall call, uint32_t from, uint32_t count, DWORD error, uint32_t moved = 0) {
    PlatformSeams.fileFaults[call] = {0, from, count, error, moved};
  }

  uint32_t Calls(FaultedCall call) { return PlatformSeams.fileFaults[call].calls; }
  size_t Reports() {
    size_t n = 0;
    for (size_t at = console_->Joined().find("Action : "); at != std::string::npos;
         at = console_->Joined().find("Action : ", at + 1)) {
      ++n;
    }
    return n;
  }
  bool Reported(const std::string& action) {
    return console_->Joined().find("Action : " + action + " " + path_) != std::string::npos;
  }

  std::string path_;
  std::vector<uint8_t> original_;
  std::unique_ptr<ConsoleCapture> console_;
  std::unique_ptr<PipedKeys> keys_;
  KeepProcessRecords records_;
};

TEST_F(ConvertFileTest, ConvertsEveryBlockOnceWithoutFaults) {
  Answer("");
  ConvertFileInPlace(path_.c_str());
  EXPECT_EQ(FileBytes(), Converted(original_, 0, 2500));
  EXPECT_EQ(console_->Joined(), "");
  EXPECT_EQ(Calls(kFaultRead), 3u);  // 1024, 1024, 452
  EXPECT_EQ(Calls(kFaultWrite), 3u);
  // The argument list lived on the converter's stack: no later report may read it.
  EXPECT_EQ(ErrorContext.arguments, nullptr);
}

TEST_F(ConvertFileTest, FailedOpen) {
  // Repeat opens again and goes on.
  Fail(kFaultOpen, 1, 1, 2);
  Answer("r");
  ConvertFileInPlace(path_.c_str());
  EXPECT_EQ(Calls(kFaultOpen), 2u);
  EXPECT_TRUE(Reported("opening file"));
  EXPECT_EQ(FileBytes(), Converted(original_, 0, 2500));

  // Abort touches nothing; Ignore goes on with no handle, so the read fails in turn.
  for (const char* keys : {"a", "i a"}) {
    Fresh();
    Fail(kFaultOpen, 1, 1, 2);
    Answer(keys);
    ConvertFileInPlace(path_.c_str());
    EXPECT_EQ(FileBytes(), original_) << keys;
    EXPECT_EQ(Calls(kFaultWrite), 0u) << keys;
    EXPECT_EQ(Reported("read from file"), keys[0] == 'i') << keys;
  }
}

TEST_F(ConvertFileTest, FailedRead) {
  struct Case {
    const char* keys;
    size_t convertedUpTo;
    uint32_t reads;
  };
  // The second read fails: Repeat reads it again; Ignore leaves a count of 0, so nothing
  // more is written and the loop ends; Abort stops with the file closed.
  for (const Case& c : {Case{"r", 2500, 4}, Case{"i", 1024, 2}, Case{"a", 1024, 2}}) {
    Fresh();
    Fail(kFaultRead, 2, 1, 5);
    Answer(c.keys);
    ConvertFileInPlace(path_.c_str());
    EXPECT_EQ(FileBytes(), Converted(original_, 0, c.convertedUpTo)) << c.keys;
    EXPECT_EQ(Calls(kFaultRead), c.reads) << c.keys;
    EXPECT_EQ(Reports(), 1u) << c.keys;
    EXPECT_TRUE(Reported("read from file")) << c.keys;
  }
}

TEST_F(ConvertFileTest, FailedWrite) {
  // The second write fails. Repeat writes it again; Ignore leaves that block as it was
  // and goes on at the next offset; Abort ends after the first block.
  std::vector<uint8_t> ignored = Converted(original_, 0, 1024);
  ignored = Converted(ignored, 2048, 2500);
  struct Case {
    const char* keys;
    std::vector<uint8_t> result;
  };
  for (const Case& c : {Case{"r", Converted(original_, 0, 2500)}, Case{"i", ignored},
                        Case{"a", Converted(original_, 0, 1024)}}) {
    Fresh();
    Fail(kFaultWrite, 2, 1, 28);
    Answer(c.keys);
    ConvertFileInPlace(path_.c_str());
    EXPECT_EQ(FileBytes(), c.result) << c.keys;
    EXPECT_TRUE(Reported("write to file")) << c.keys;
  }
}

TEST_F(ConvertFileTest, FailedSeekNeverWritesElsewhere) {
  // Every read and every write is positioned at its block's offset first; the second
  // positioning is the first write's. Its failure fails that write, which is reported
  // and, on Abort, never happens at all.
  Fail(kFaultSeek, 2, 1, 22);
  Answer("a");
  ConvertFileInPlace(path_.c_str());
  EXPECT_TRUE(Reported("write to file"));
  EXPECT_EQ(FileBytes(), original_);

  // A failed positioning of a read is that read's failure; Repeat then goes on normally.
  Fresh();
  Fail(kFaultSeek, 3, 1, 22);
  Answer("r");
  ConvertFileInPlace(path_.c_str());
  EXPECT_TRUE(Reported("read from file"));
  EXPECT_EQ(FileBytes(), Converted(original_, 0, 2500));
}

TEST_F(ConvertFileTest, IgnoredSeekBeforeAReadEndsWithNothingMoreWritten) {
  // The second read's seek fails: its count is 0, so no block is converted twice and
  // written over the next one.
  Fail(kFaultSeek, 3, 1, 22);
  Answer("i");
  ConvertFileInPlace(path_.c_str());
  EXPECT_TRUE(Reported("read from file"));
  EXPECT_EQ(FileBytes(), Converted(original_, 0, 1024));
}

TEST_F(ConvertFileTest, WriteCutShortByAFailureIsRepeatedWholeInItsPlace) {
  // The second write moves 300 bytes, then fails; Repeat writes the block again from
  // its own offset, and Abort leaves the 300 bytes that did move.
  Fail(kFaultWrite, 2, 1, 28, 300);
  Answer("r");
  ConvertFileInPlace(path_.c_str());
  EXPECT_EQ(Reports(), 1u);
  EXPECT_EQ(FileBytes(), Converted(original_, 0, 2500));

  Fresh();
  Fail(kFaultWrite, 2, 1, 28, 300);
  Answer("a");
  ConvertFileInPlace(path_.c_str());
  EXPECT_EQ(FileBytes(), Converted(original_, 0, 1324));
}

TEST_F(ConvertFileTest, ShortAndInterruptedTransfersAreCompleted) {
  // Every system transfer moves at most 100 bytes, and the first three are interrupted.
  PlatformSeams.transfers = {100, 3, 0};
  Answer("");
  ConvertFileInPlace(path_.c_str());
  EXPECT_EQ(console_->Joined(), "");
  EXPECT_EQ(FileBytes(), Converted(original_, 0, 2500));
}

TEST_F(ConvertFileTest, FailedCloseIsTheWritesFailureAndEndsTheRun) {
  // The data may not have reached the disk. The handle is gone, so Repeat closes nothing
  // twice: every answer ends the run.
  Fail(kFaultClose, 1, 1, 5);
  Answer("r");
  ConvertFileInPlace(path_.c_str());
  EXPECT_EQ(Reports(), 1u);
  EXPECT_TRUE(Reported("write to file"));
  EXPECT_EQ(Calls(kFaultClose), 1u);
  EXPECT_EQ(ErrorContext.arguments, nullptr);
}

TEST_F(ConvertFileTest, RepeatedFailuresAskEachTime) {
  Fail(kFaultWrite, 1, 3, 28);
  Answer("rrr");
  ConvertFileInPlace(path_.c_str());
  EXPECT_EQ(Reports(), 3u);
  EXPECT_EQ(FileBytes(), Converted(original_, 0, 2500));
}

TEST_F(ConvertFileTest, ExactBlockMultipleTakesAnEmptyLastPass) {
  original_.resize(2048);
  WriteFileBytes(original_);
  Answer("");
  ConvertFileInPlace(path_.c_str());
  EXPECT_EQ(FileBytes(), Converted(original_, 0, 2048));
  EXPECT_EQ(Calls(kFaultRead), 3u);  // the third read delivers 0 bytes
  EXPECT_EQ(Calls(kFaultWrite), 3u);
}

}  // namespace
