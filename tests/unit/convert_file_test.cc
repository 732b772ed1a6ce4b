// The file converter against planned faults: every kind of fault with every answer, as
// the calls it makes, the reports it shows and the bytes it leaves.
#include "fileconv/convert_file.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "codepage/byte_maps.h"
#include "codepage/cp866_literal.h"
#include "errors/error_context.h"
#include "errors_test_support.h"
#include "published_maps.h"

namespace {

// The file's name in code page 1251 (А.txt), and as the reports show it in 866.
const char kName[] = "\xC0.txt";
const char kShownName[] = " \x80.txt";

// Every letter of code page 1251 in turn, which reads as Russian in neither code page;
// or Russian prose in code page 866, which the default direction refuses.
std::vector<uint8_t> Original(size_t size, bool prose) {
  static constexpr Cp866Literal kProse866 =
      u8"Съешь же ещё этих мягких французских булок, да выпей чаю. ";
  const std::string text(kProse866);
  std::vector<uint8_t> data;
  for (size_t i = 0; i < size; ++i)
    data.push_back(prose ? static_cast<uint8_t>(text[i % text.size()]) : 0xC0 + i % 64);
  return data;
}

// The calls made, one word each: the call's letter, the block it starts at for a
// transfer (and after a colon the blocks it asks for, when more than one), and "!" when
// it failed.
std::string Trace() {
  std::string trace;
  for (const FakeCallRecord& call : FakePlatform.calls) {
    trace += trace.empty() ? "" : " ";
    trace += "ORWC"[call.call];
    if (call.call == kFakeRead || call.call == kFakeWrite)
      trace += std::to_string(call.offset / 1024);
    if (call.size > 1024) trace += ":" + std::to_string(call.size / 1024);
    if (!call.ok) trace += "!";
  }
  return trace;
}

// The action line of every report, in order.
std::vector<std::string> ReportedActions() {
  std::vector<std::string> actions;
  const std::vector<std::string>& pieces = FakePlatform.console;
  for (size_t i = 0; i + 1 < pieces.size(); ++i) {
    if (pieces[i] == "Action : ") actions.push_back(pieces[i + 1]);
  }
  return actions;
}

struct Row {
  const char* what;
  bool whole;  // what the converter tells of the file
  std::vector<FakeFault> faults;
  std::u16string keys;
  const char* trace;
  std::vector<std::pair<size_t, size_t>> converted;
  std::vector<std::string> reports;
  size_t size = 2500;
  NameState state = kNameWhole;
  bool prose = false;
};

// Each row: whether the file comes out whole, the faults, the keys that answer the
// reports, the calls made, the byte ranges converted, and the actions reported. Before
// the first block the guard reads a sample of 64 blocks, which meets the faults planned
// there too.
// clang-format off
const std::vector<Row> kRows = {
    {"no fault", true, {}, u"", "O R0:64 R0 W0 R1 W1 R2 W2 C", {{0, 2500}}, {}},
    {"a block multiple takes an empty last pass", true, {}, u"", "O R0:64 R0 W0 R1 W1 R2 W2 C",
     {{0, 2048}}, {}, 2048},
    // Repeat opens again and goes on; Abort touches nothing; Ignore goes on with no
    // handle, so that the read fails in turn. Only a file converted to its end, every
    // failure repeated until it passed, is converted whole.
    {"open, Repeat", true, {{kFakeOpen, 0, 1, 5, 0}}, u"r", "O! O R0:64 R0 W0 R1 W1 R2 W2 C",
     {{0, 2500}}, {"opening file"}},
    {"open, Abort", false, {{kFakeOpen, 0, 1, 5, 0}}, u"a", "O!", {}, {"opening file"}},
    {"open, Ignore", false, {{kFakeOpen, 0, 1, 5, 0}}, u"ia", "O! R0! C!", {},
     {"opening file", "read from file"}},
    // A cut name is refused before the system sees it, on every attempt.
    {"cut name", false, {}, u"ra", "", {}, {"opening file", "opening file"}, 2500, kNameCut},
    // Repeat reads the block again; Ignore leaves a count of 0, so that the block is
    // written as nothing and the run ends; Abort stops with the file closed. The guard's
    // failed read is no report: it leaves the text undecided.
    {"read, Repeat", true, {{kFakeRead, 1024, 2, 5, 0}}, u"r", "O R0:64! R0 W0 R1! R1 W1 R2 W2 C",
     {{0, 2500}}, {"read from file"}},
    {"read, Ignore", false, {{kFakeRead, 1024, 2, 5, 0}}, u"i", "O R0:64! R0 W0 R1! W1 C", {{0, 1024}},
     {"read from file"}},
    {"read, Abort", false, {{kFakeRead, 1024, 2, 5, 0}}, u"a", "O R0:64! R0 W0 R1! C", {{0, 1024}},
     {"read from file"}},
    {"read that stays", false, {{kFakeRead, 2048, kFakeForever, 5, 0}}, u"rri",
     "O R0:64! R0 W0 R1 W1 R2! R2! R2! W2 C", {{0, 2048}},
     {"read from file", "read from file", "read from file"}},
    // The door delivers fewer bytes than asked only at the end of the file: the
    // converter takes a short read for the last block.
    {"short read", true, {{kFakeRead, 1024, 2, 0, 100}}, u"", "O R0:64 R0 W0 R1 W1 C", {{0, 1124}},
     {}},
    // Repeat writes the block again at its own offset; Ignore leaves it as it was and
    // goes on at the next one; Abort keeps what the failed write moved.
    {"write, Repeat", true, {{kFakeWrite, 1024, 1, 28, 0}}, u"r", "O R0:64 R0 W0 R1 W1! W1 R2 W2 C",
     {{0, 2500}}, {"write to file"}},
    {"write, Ignore", false, {{kFakeWrite, 1024, 1, 28, 0}}, u"i", "O R0:64 R0 W0 R1 W1! R2 W2 C",
     {{0, 1024}, {2048, 2500}}, {"write to file"}},
    {"write, Abort", false, {{kFakeWrite, 1024, 1, 28, 0}}, u"a", "O R0:64 R0 W0 R1 W1! C", {{0, 1024}},
     {"write to file"}},
    {"write cut short, Repeat", true, {{kFakeWrite, 1024, 1, 28, 300}}, u"r",
     "O R0:64 R0 W0 R1 W1! W1 R2 W2 C", {{0, 2500}}, {"write to file"}},
    {"write cut short, Abort", false, {{kFakeWrite, 1024, 1, 28, 300}}, u"a", "O R0:64 R0 W0 R1 W1! C",
     {{0, 1324}}, {"write to file"}},
    {"write failing thrice", true, {{kFakeWrite, 0, 3, 28, 0}}, u"rrr",
     "O R0:64 R0 W0! W0! W0! W0 R1 W1 R2 W2 C", {{0, 2500}},
     {"write to file", "write to file", "write to file"}},
    // Data that may not have reached the disk: the write's failure. The handle is gone,
    // so that Repeat closes nothing twice and every answer ends the run.
    {"close, Repeat", false, {{kFakeClose, 0, 1, 5, 0}}, u"r", "O R0:64 R0 W0 R1 W1 R2 W2 C!",
     {{0, 2500}}, {"write to file"}},
    // Russian prose in code page 866, to be converted from 1251: refused before anything is
    // written. Ignore converts it as asked; Repeat judges it again; without a console,
    // Abort.
    {"refused, Abort", false, {}, u"a", "O R0:64 C", {}, {"read from file"}, 2500, kNameWhole, true},
    {"refused, Ignore", true, {}, u"i", "O R0:64 R0 W0 R1 W1 R2 W2 C", {{0, 2500}}, {"read from file"},
     2500, kNameWhole, true},
    {"refused, Repeat", false, {}, u"r", "O R0:64 R0:64 C", {}, {"read from file", "read from file"},
     2500, kNameWhole, true},
};
// clang-format on

class ConvertFileTest : public FakeDoorTest {
 protected:
  ConvertFileTest() { ByteConverter = MapCp1251ToCp866; }
};

TEST_F(ConvertFileTest, EveryFaultAndAnswer) {
  for (const Row& row : kRows) {
    FakePlatformReset();
    const std::vector<uint8_t> original = Original(row.size, row.prose);
    FakePlatform.files[kName] = original;
    FakePlatform.faults = row.faults;
    FakePlanKeys(row.keys);
    EXPECT_EQ(ConvertFileInPlace(kName, row.state), row.whole) << row.what;

    EXPECT_EQ(Trace(), row.trace) << row.what;
    std::vector<uint8_t> expected = original;
    for (const auto& [from, to] : row.converted) {
      for (size_t i = from; i < to; ++i)
        expected[i] = kExpected1251To866[expected[i]];
    }
    EXPECT_EQ(FakePlatform.files[kName], expected) << row.what;
    std::vector<std::string> reports;
    for (const std::string& action : row.reports)
      reports.push_back(action + kShownName);
    EXPECT_EQ(ReportedActions(), reports) << row.what;
    // The argument list lived on the converter's stack: no later report may read it.
    EXPECT_EQ(ErrorContext.arguments, nullptr) << row.what;
  }
}

TEST_F(ConvertFileTest, ReportsTheSystemsErrorForTheFile) {
  // A missing file, and a cut name with the error of a name too long.
  FakePlatform.errorTexts[kFakeNoSuchFile] = "No such file.\r\n";
  FakePlanKeys(u"a");
  ConvertFileInPlace("gone.txt");
  EXPECT_NE(FakeConsoleText().find("Error : no such file\r\n"), std::string::npos);
  FakePlanKeys(u"a");
  ConvertFileInPlace(kName, kNameCut);
  EXPECT_EQ(ErrorContext.errorNumber, kErrorNameTooLong);
}

// The fake door's transfers of many blocks, as a converter that moves spans meets them:
// a fault stops a span at its block, whatever block the span starts at.
TEST(FakeDoor, SpanStopsAtTheFaultedBlock) {
  struct Case {
    FakeCall call;
    uint64_t offset;
    FakeFault fault;
    bool ok;
    uint32_t moved;  // *read or *written
    size_t reached;  // the bytes of the file the transfer reached
  };
  const Case cases[] = {
      {kFakeRead, 0, {kFakeRead, 2048, 1, 5, 0}, false, 0, 2048},
      {kFakeRead, 0, {kFakeRead, 2048, 1, 0, 100}, true, 2148, 2148},  // a short read
      {kFakeRead, 0, {kFakeRead, 8192, 1, 5, 0}, true, 4096, 4096},    // past the span
      {kFakeWrite, 0, {kFakeWrite, 2048, 1, 28, 0}, false, 2048, 2048},
      {kFakeWrite, 1024, {kFakeWrite, 3072, 1, 28, 300}, false, 2348, 3372},
      {kFakeWrite, 2048, {kFakeWrite, 2048, 1, 28, 300}, false, 300, 2348},
  };
  KeepProcessRecords records;
  for (const Case& c : cases) {
    FakePlatformReset();
    FakePlatform.files["f"] = std::vector<uint8_t>(8192, 1);
    FakePlatform.faults = {c.fault};
    std::vector<uint8_t> buffer(4097, 2);  // one byte past the span to look at
    const PlatformHandle file = PlatformOpenForUpdate("f");
    uint32_t moved = 7;
    const bool ok = c.call == kFakeRead
                        ? PlatformReadAt(file, c.offset, buffer.data(), 4096, &moved)
                        : PlatformWriteAt(file, c.offset, buffer.data(), 4096, &moved);
    EXPECT_EQ(ok, c.ok) << c.fault.block;
    EXPECT_EQ(moved, c.moved) << c.fault.block;
    const std::vector<uint8_t>& data = FakePlatform.files["f"];
    if (c.call == kFakeWrite) {
      EXPECT_EQ(data[c.reached - 1], 2) << c.fault.block;
      EXPECT_EQ(data[c.reached], 1) << c.fault.block;
    } else {
      EXPECT_EQ(buffer[c.reached - 1], 1) << c.fault.block;
      EXPECT_EQ(buffer[c.reached], 2) << c.fault.block;
    }
    // A fault met is answered; one past the span still waits.
    EXPECT_EQ(FakePlatform.faults[0].times, c.fault.block - c.offset < 4096 ? 0u : 1u);
    EXPECT_EQ(FakePlatform.lastError, c.ok ? 0u : c.fault.error);
  }
}

}  // namespace
