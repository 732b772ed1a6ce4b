// The file converter against planned faults: every kind of fault with every answer, as
// the converter's own calls, the reports it shows, the answers it obeys and the bytes it
// leaves.
#include "fileconv/convert_file.h"

#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <utility>
#include <vector>

#include "codepage/byte_maps.h"
#include "codepage/cp866_literal.h"
#include "errors_test_support.h"
#include "fileconv/check_line.h"
#include "fileconv/code_page_guard.h"
#include "fileconv/file_check.h"
#include "recode.h"

namespace {

// The file's name in code page 1251 (А.txt), and as the reports show it in 866.
const char kName[] = "\xC0.txt";
const char kShownName[] = " \x80.txt";

// Every letter of code page 1251 in turn, which reads as text in no encoding; or Russian
// prose in the code pages pages names for equal parts of the file in turn: "8" is all in
// code page 866, which the default direction refuses, "81" half in each; "a" is ASCII, "b"
// binary data: control codes 0 to 7 in turn after 100 bytes of prose.
std::vector<uint8_t> Original(size_t size, const std::string& pages) {
  static constexpr Cp866Literal kProse866 =
      u8"Съешь же ещё этих мягких французских булок, да выпей чаю. ";
  const std::string text(kProse866);
  std::vector<uint8_t> data;
  for (size_t i = 0; i < size; ++i) {
    const uint8_t letter = static_cast<uint8_t>(text[i % text.size()]);
    if (pages.empty()) {
      data.push_back(0xC0 + i % 64);
    } else if (pages[i * pages.size() / size] == 'a') {
      data.push_back(static_cast<uint8_t>('a' + i % 26));  // nothing to convert
    } else if (pages[i * pages.size() / size] == 'b') {
      data.push_back(i < 100 ? MapCp866ToCp1251(letter) : static_cast<uint8_t>(i % 8));
    } else {
      data.push_back(pages[i * pages.size() / size] == '8' ? letter : MapCp866ToCp1251(letter));
    }
  }
  return data;
}

// Whether a call is the converter's own transfer: of a span or of a block. The guard's
// reads of its samples are its own affair, tested with the guard; they meet the planned
// faults all the same.
bool ConvertersOwn(const FakeCallRecord& call) {
  return call.call != kFakeRead || call.size == kSpanSize || call.size == kBlockSize;
}

// The converter's calls, one word each: the call's letter, for a transfer the block it
// starts at and, when it asked for more than one, the last block it asked for, and "!"
// when it failed. Runs of single blocks that went through are folded: "W4..7" writes
// blocks 4 to 7 in turn, "RW4..7" reads and writes each of them in turn, "R4..7" reads
// them alone.
std::string Trace() {
  struct Word {
    std::string kind;  // "O", "R", "W", "C", or "RW" for a block read and written
    uint64_t first, last;
    bool single, ok;
  };
  std::vector<Word> words;
  for (const FakeCallRecord& call : FakePlatform.calls) {
    if (!ConvertersOwn(call)) continue;
    const uint64_t first = call.offset / 1024;
    const uint64_t last = (call.offset + (call.size > 0 ? call.size : 1) - 1) / 1024;
    Word word{std::string(1, "ORWC"[call.call]), first, last, call.size <= 1024, call.ok};
    Word* before = words.empty() ? nullptr : &words.back();
    if (before != nullptr && before->kind == "R" && word.kind == "W" && before->single &&
        before->ok && word.single && word.ok && before->first == word.first) {
      before->kind = "RW";
      continue;
    }
    words.push_back(word);
  }
  std::string trace;
  for (size_t i = 0; i < words.size(); ++i) {
    const Word& word = words[i];
    size_t end = i;
    const bool foldable =
        word.single && word.ok && (word.kind == "R" || word.kind == "W" || word.kind == "RW");
    while (foldable && end + 1 < words.size() && words[end + 1].kind == word.kind &&
           words[end + 1].single && words[end + 1].ok &&
           words[end + 1].first == words[end].first + 1)
      ++end;
    trace += trace.empty() ? "" : " ";
    trace += word.kind;
    if (word.kind != "O" && word.kind != "C") {
      trace += std::to_string(word.first);
      if (end > i + 1) {
        trace += ".." + std::to_string(words[end].first);
      } else if (word.last != word.first) {
        trace += "-" + std::to_string(word.last);
      }
    }
    if (!word.ok) trace += "!";
    if (end > i + 1) {
      i = end;
    }
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

// Block n's offset, and a file of two spans and a part of a third.
constexpr size_t B(size_t n) {
  return n * kBlockSize;
}
constexpr size_t kLong = 2 * kSpanBlocks * kBlockSize + 1808;

// The line of a file that stopped part-way: how, the bytes converted, and what follows.
constexpr char kFinishes[] = "the same command finishes the conversion";
constexpr char kCannot[] = "the conversion cannot be resumed";
std::string Stopped(const char* how, size_t bytes, const char* after = kFinishes) {
  return std::string(how) + "; " + std::to_string(bytes) +
         " bytes from the start of the file are converted; " + after;
}

// What the run knows of the names before the one in hand: none, or some, all of them
// recorded or not.
enum Before { kNoneBefore, kRecordedBefore, kUnrecordedBefore };

// Starts a new run for the converter: no file handled yet, the names before as given.
void NewRun(Converter* c, Before before = kNoneBefore) {
  c->run.seen->count = 0;
  memset(c->run.seen->buckets, 0, sizeof c->run.seen->buckets);
  c->run.afterOthers = before != kNoneBefore;
  c->run.othersUnrecorded = before == kUnrecordedBefore;
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
  const char* pages = "";     // the text, as Original takes it
  size_t interruptAfter = 0;  // the file calls after which a request to end the run comes
  std::string said = "";      // then, the line on standard error
  Before before = kNoneBefore;
  size_t left = 0;         // where another program cut the file: its length after
  const char* error = "";  // the error line of the last report, where the row says
};

// The error line of the last report.
std::string ReportedError() {
  std::string error;
  const std::vector<std::string>& pieces = FakePlatform.console;
  for (size_t i = 0; i + 1 < pieces.size(); ++i) {
    if (pieces[i] == "Error : ") error = pieces[i + 1];
  }
  return error;
}

const char kPartly[] =
    "the file is converted only in part: its beginning and its end are in different code pages";

// Each row: whether the file comes out whole, the faults, the keys that answer the
// reports, the calls made, the byte ranges converted, and the actions reported. The rows
// run on files shorter than a span first, then on files of several spans: what a
// transfer of one span meets first, the blocks meet once more when they are done one by
// one. Before the first span the guard reads a sample of the file, which meets the read
// faults planned there too. A fault that a block is to meet once is therefore planned to
// be met once more for each transfer of more blocks that holds it, the guard's included.
// Every report, answer and byte is what it was when each transfer carried one block.
// clang-format off
const std::vector<Row> kRows = {
    {"no fault", true, {}, u"", "O R0-255 W0-2 C", {{0, 2500}}, {}},
    {"a block multiple takes an empty last pass", true, {}, u"", "O R0-255 W0-1 R2-257 C",
     {{0, 2048}}, {}, 2048},
    // Repeat opens again and goes on; Abort touches nothing; Ignore goes on with no
    // handle, so that the read fails in turn. Only a file converted to its end, every
    // failure repeated until it passed, is converted whole.
    {"open, Repeat", true, {{kFakeOpen, 0, 1, 5, 0}}, u"r", "O! O R0-255 W0-2 C", {{0, 2500}},
     {"opening file"}},
    {"open, Abort", false, {{kFakeOpen, 0, 1, 5, 0}}, u"a", "O!", {}, {"opening file"}},
    {"open, Ignore", false, {{kFakeOpen, 0, 1, 5, 0}}, u"ia", "O! R0-255! R0! C!", {},
     {"opening file", "read from file"}},
    // A cut name is refused before the system sees it, on every attempt.
    {"cut name", false, {}, u"ra", "", {}, {"opening file", "opening file"}, 2500, kNameCut},
    // Repeat reads the block again; Ignore leaves a count of 0, so that nothing changes,
    // nothing is written and the run ends; Abort stops with the file closed. The guard's
    // failed read is no report: it leaves the text undecided.
    {"read, Repeat", true, {{kFakeRead, 1024, 3, 5, 0}}, u"r", "O R0-255! RW0 R1! RW1 RW2 C",
     {{0, 2500}}, {"read from file"}},
    {"read, Ignore", false, {{kFakeRead, 1024, 3, 5, 0}}, u"i", "O R0-255! RW0 R1! C",
     {{0, 1024}}, {"read from file"}},
    {"read, Abort", false, {{kFakeRead, 1024, 3, 5, 0}}, u"a", "O R0-255! RW0 R1! C",
     {{0, 1024}}, {"read from file"}, 2500, kNameWhole, "", 0, Stopped("stopped", 1024)},
    {"read that stays", false, {{kFakeRead, 2048, kFakeForever, 5, 0}}, u"rri",
     "O R0-255! RW0 RW1 R2! R2! R2! C", {{0, 2048}},
     {"read from file", "read from file", "read from file"}},
    // The door delivers fewer bytes than asked only at the end of the file: the
    // converter takes a short read for the last block.
    {"short read", true, {{kFakeRead, 1024, 2, 0, 100}}, u"", "O R0-255 W0-1 C", {{0, 1124}},
     {}},
    // Repeat writes the block again at its own offset; Ignore leaves it as it was and
    // goes on at the next one; Abort keeps what the failed write moved.
    {"write, Repeat", true, {{kFakeWrite, 1024, 2, 28, 0}}, u"r",
     "O R0-255 W0-2! W0 W1! W1 W2 C", {{0, 2500}}, {"write to file"}},
    {"write, Ignore", false, {{kFakeWrite, 1024, 2, 28, 0}}, u"i",
     "O R0-255 W0-2! W0 W1! W2 C", {{0, 1024}, {2048, 2500}}, {"write to file"}},
    {"write, Abort", false, {{kFakeWrite, 1024, 2, 28, 0}}, u"a", "O R0-255 W0-2! W0 W1! C",
     {{0, 1024}}, {"write to file"}, 2500, kNameWhole, "", 0, Stopped("stopped", 1024)},
    {"write cut short, Repeat", true, {{kFakeWrite, 1024, 2, 28, 300}}, u"r",
     "O R0-255 W0-2! W0 W1! W1 W2 C", {{0, 2500}}, {"write to file"}},
    // What the failed write moved is converted and not counted: no record can tell.
    {"write cut short, Abort", false, {{kFakeWrite, 1024, 2, 28, 300}}, u"a",
     "O R0-255 W0-2! W0 W1! C", {{0, 1324}}, {"write to file"}, 2500, kNameWhole, "", 0,
     Stopped("stopped", 1024, kCannot)},
    {"write failing thrice", true, {{kFakeWrite, 0, 4, 28, 0}}, u"rrr",
     "O R0-255 W0-2! W0! W0! W0! W0..2 C", {{0, 2500}},
     {"write to file", "write to file", "write to file"}},
    // Data that may not have reached the disk: the write's failure. The handle is gone,
    // so that Repeat closes nothing twice and every answer ends the run.
    {"close, Repeat", false, {{kFakeClose, 0, 1, 5, 0}}, u"r", "O R0-255 W0-2 C!",
     {{0, 2500}}, {"write to file"}},
    // Faults at the start (block 256), in the middle (257, 258) and at the end (511) of
    // the second of three spans. A failed read: the span goes block by block from its
    // start, and spans follow once it is done.
    {"read at a span's start, Repeat", true, {{kFakeRead, B(256), 2, 5, 0}}, u"r",
     "O R0-255 W0-255 R256-511! R256! RW256..511 "
     "R512-767 W512-513 C", {{0, kLong}}, {"read from file"}, kLong},
    {"read in a span's middle, Ignore", false, {{kFakeRead, B(257), kFakeForever, 5, 0}}, u"i",
     "O R0-255 W0-255 R256-511! RW256 R257! C",
     {{0, B(257)}}, {"read from file"}, kLong},
    {"read at a span's end, Abort", false, {{kFakeRead, B(511), kFakeForever, 5, 0}}, u"a",
     "O R0-255 W0-255 "
     "R256-511! RW256..510 R511! C", {{0, B(511)}}, {"read from file"}, kLong, kNameWhole, "", 0,
     Stopped("stopped", B(511))},
    {"short read at a span's end", true, {{kFakeRead, B(511), 1, 0, 100}}, u"",
     "O R0-255 W0-255 "
     "R256-511 W256-511 C", {{0, B(511) + 100}}, {}, kLong},
    // A failed or short write: the span's blocks are written again from its first, each
    // from the bytes converted once; a short write without an error is no failure.
    {"write at a span's start, Repeat", true, {{kFakeWrite, B(256), 2, 28, 0}}, u"r",
     "O R0-255 "
     "W0-255 R256-511 W256-511! W256! W256..511 R512-767 W512-513 C", {{0, kLong}},
     {"write to file"}, kLong},
    {"write cut short in a span's middle, Ignore", false,
     {{kFakeWrite, B(258), kFakeForever, 28, 300}}, u"i",
     "O R0-255 "
     "W0-255 R256-511 W256-511! W256 W257 W258! W259..511 R512-767 W512-513 C",
     {{0, B(258) + 300}, {B(259), kLong}}, {"write to file"}, kLong},
    {"write at a span's end, Abort", false, {{kFakeWrite, B(511), kFakeForever, 28, 0}}, u"a",
     "O R0-255 "
     "W0-255 R256-511 W256-511! W256..510 W511! C", {{0, B(511)}}, {"write to file"}, kLong,
     kNameWhole, "", 0, Stopped("stopped", B(511))},
    {"short write in a span's middle", true, {{kFakeWrite, B(257), kFakeForever, 0, 300}}, u"",
     "O R0-255 "
     "W0-255 R256-511 W256-511 W256..511 R512-767 W512-513 C", {{0, B(257) + 300}, {B(258), kLong}},
     {}, kLong},
    // The reports come in the order blocks give them: a write before the read after it.
    {"write, then read in a span", false,
     {{kFakeWrite, B(257), kFakeForever, 28, 0}, {kFakeRead, B(258), kFakeForever, 5, 0}}, u"ii",
     "O R0-255 W0-255 R256-511! RW256 R257 W257! "
     "R258! C", {{0, B(257)}}, {"write to file", "read from file"}, kLong},
    // A fault met by the span alone is not reported.
    {"read fails once", true, {{kFakeRead, B(257), 1, 5, 0}}, u"",
     "O R0-255 W0-255 R256-511! RW256..511 "
     "R512-767 W512-513 C", {{0, kLong}}, {}, kLong},
    {"write fails once", true, {{kFakeWrite, B(258), 1, 28, 0}}, u"",
     "O R0-255 "
     "W0-255 R256-511 W256-511! W256..511 R512-767 W512-513 C", {{0, kLong}}, {}, kLong},
    // Russian prose in code page 866, to be converted from 1251: refused before anything is
    // written. Ignore converts it as asked; Repeat judges it again; without a console,
    // Abort.
    {"refused, Abort", false, {}, u"a", "O C", {}, {"read from file"}, 2500, kNameWhole,
     "8"},
    {"refused, Ignore", true, {}, u"i", "O R0-255 W0-2 C", {{0, 2500}}, {"read from file"},
     2500, kNameWhole, "8"},
    // A request to end the run is obeyed after the span in hand. The bytes converted from
    // the start end at a write answered Ignore, and no record is kept of such a run.
    {"interrupted", false, {}, u"", "O R0-255 W0-255 C", {{0, B(256)}}, {}, kLong,
     kNameWhole, "", 4, "interrupted; 262144 bytes from the start of the file are converted; "
     "the same command finishes the conversion"},
    // Run again whole, a command of several names would convert the earlier ones again.
    {"interrupted, named after others", false, {}, u"", "O R0-255 W0-255 C", {{0, B(256)}},
     {}, kLong, kNameWhole, "", 4, "interrupted; 262144 bytes from the start of the file are "
     "converted; the same command without the files named before it finishes the conversion",
     kUnrecordedBefore},
    {"interrupted after a write answered Ignore", false, {{kFakeWrite, B(257), kFakeForever, 28,
     0}}, u"i", "O R0-255 W0-255 R256-511 W256-511! W256 W257! W258..511 C",
     {{0, B(257)}, {B(258), B(512)}}, {"write to file"}, kLong, kNameWhole, "", 262,
     "interrupted; 263168 bytes from the start of the file are converted; the conversion "
     "cannot be resumed"},
    {"refused, Repeat", false, {}, u"r", "O C", {},
     {"read from file", "read from file"}, 2500, kNameWhole, "8"},
    // Longer than a sample: the guard reads the last 64 blocks too, and refuses a file whose
    // beginning and end are in different code pages, whichever is first.
    {"as named, beginning and end", true, {}, u"", "O R0-255 W0-255 R256-511 "
     "W256-511 R512-767 W512-513 C", {{0, kLong}}, {}, kLong, kNameWhole, "1"},
    {"converted in part, Abort", false, {}, u"a", "O C", {}, {"read from file"},
     kLong, kNameWhole, "81"},
    // Judged apart, the first KiB and the last tell a file converted in part however
    // little of it was: a head of 1,000 bytes of 36,000, or all but its last 1,000; and
    // the last piece is the end of the file, not the start of the last sample.
    {"a converted head of 1,000 bytes", false, {}, u"a", "O C", {}, {"read from file"},
     36000, kNameWhole, "81111111111111111111111111111111111", 0, "", kNoneBefore, 0, kPartly},
    {"converted but its last 1,000 bytes", false, {}, u"a", "O C", {}, {"read from file"},
     36000, kNameWhole, "888888888888888888888888888888888881", 0, "", kNoneBefore, 0, kPartly},
    {"a converted tail of a tenth", false, {}, u"a", "O C", {}, {"read from file"},
     kLong, kNameWhole, "1111111118"},
    // Binary data is named by its first control code and that code's offset.
    {"binary, Ignore", true, {}, u"i", "O R0-255 W0 C", {{0, 2500}}, {"read from file"},
     2500, kNameWhole, "b", 0, "", kNoneBefore, 0,
     "not text: binary symbol 0x04 found at offset 100; Pelcor converts only text"},
    {"converted in part the other way, Ignore", true, {}, u"i", "O R0-255 W0-255 "
     "R256-511 W256-511 R512-767 W512-513 C", {{0, kLong}}, {"read from file"}, kLong,
     kNameWhole, "18"},
    // Blocks whose bytes stay as they were are not written, so that a write fault planned
    // on them is never met: a file with nothing to convert, a first span of ASCII, and
    // ASCII blocks of a span that changes, skipped when its write fails. The guard reads
    // on while ASCII leaves it undecided.
    {"nothing to convert", true, {{kFakeWrite, B(300), kFakeForever, 28, 0}}, u"",
     "O "
     "R0-255 R256-511 R512-767 C", {{0, kLong}}, {}, kLong, kNameWhole, "a"},
    {"a first span of ASCII", true, {{kFakeWrite, B(100), kFakeForever, 28, 0}}, u"",
     "O R0-255 R256-511 W256-511 R512-767 "
     "W512-513 C", {{0, kLong}}, {}, kLong, kNameWhole, "a1"},
    {"ASCII blocks of a span that changes", true, {{kFakeWrite, B(50), kFakeForever, 28, 0},
     {kFakeWrite, B(200), 1, 28, 0}}, u"", "O R0-255 W128-255! "
     "W128..255 R256-511 W256-511 R512-767 W512-513 C", {{0, kLong}}, {}, kLong, kNameWhole,
     "a111"},
    // A span whose first blocks have nothing to convert writes the rest from its first
    // block that changed; an interrupted run counts the blocks it did not write.
    {"a span's first blocks unchanged", true, {}, u"", "O R0-255 R256-511 W384-511 R512-767 C", {{0, B(512)}}, {}, B(512),
     kNameWhole, "aaa1"},
    {"interrupted after unchanged blocks", false, {}, u"", "O R0-255 C", {{0, B(256)}}, {}, kLong,
     kNameWhole, "a1", 8, Stopped("interrupted", B(256))},
    // A request to end the process held at a question leaves it unanswered: Abort, and
    // the line of an interrupted run.
    {"interrupted at a question", false, {{kFakeWrite, B(300), kFakeForever, 28, 0}}, u"i",
     "O R0-255 W0-255 R256-511 W256-511! W256..299 W300! C",
     {{0, B(300)}}, {"write to file"}, kLong, kNameWhole, "", 6, Stopped("interrupted", B(300))},
    // Another program cuts the file: after a span is read, it is not written; while it is
    // written, the conversion stops after it. Either way the record goes no further than
    // the file.
    {"cut after a span is read", false, {{kFakeCutAfterRead, B(300), 1, 0, 0}}, u"",
     "O R0-255 W0-255 R256-511 C",
     {{0, B(256)}}, {"write to file"}, kLong, kNameWhole, "", 0, Stopped("stopped", B(256)),
     kNoneBefore, B(300)},
    {"cut while a span is written", false, {{kFakeCutAfterWrite, B(300), 1, 0, 0}}, u"",
     "O R0-255 W0-255 R256-511 W256-511 R512-767 R0-255 C",
     {{0, B(300)}}, {"write to file"}, kLong, kNameWhole, "", 0, Stopped("stopped", B(300)),
     kNoneBefore, B(300)},
    // Cut while a span's read fails: its blocks, read one by one, are not written either.
    {"cut when a span's read fails", false,
     {{kFakeRead, B(256), 1, 5, 0}, {kFakeCutAfterRead, B(300), 1, 0, 0}}, u"",
     "O R0-255 W0-255 R256-511! R256 C",
     {{0, B(256)}}, {"write to file"}, kLong, kNameWhole, "", 0, Stopped("stopped", B(256)),
     kNoneBefore, B(300)},
    {"ASCII blocks read one by one", true, {{kFakeRead, B(200), 1, 5, 0}}, u"",
     "O R0-255! R0..127 RW128..255 R256-511 W256-511 R512-767 "
     "W512-513 C", {{0, kLong}}, {}, kLong, kNameWhole, "a111"},
};
// clang-format on

class ConvertFileTest : public FakeDoorTest {
 protected:
  ConvertFileTest() { EXPECT_TRUE(StartConverter(&converter_, kFrom1251, console_)); }
  ~ConvertFileTest() override { EndConverter(&converter_); }
  Converter converter_;
};

TEST_F(ConvertFileTest, EveryFaultAndAnswer) {
  for (const Row& row : kRows) {
    FakePlatformReset();
    const std::vector<uint8_t> original = Original(row.size, row.pages);
    FakePlatform.files[kName] = original;
    FakePlatform.faults = row.faults;
    FakePlanKeys(row.keys);
    FakePlatform.interruptAfter = row.interruptAfter;
    FakePlatform.endReturns = true;
    NewRun(&converter_, row.before);
    bool whole = false;
    try {
      whole = ConvertFileInPlace(&converter_, FakeName(kName), row.state);
    } catch (FakeEnded) {
      // the process would have ended here
    }
    EXPECT_EQ(whole, row.whole) << row.what;
    std::vector<std::string> said;
    if (!row.said.empty())
      said.push_back(std::string("pelcor: ") + (kShownName + 1) + ": " + row.said);
    EXPECT_EQ(FakePlatform.errorLines, said) << row.what;

    EXPECT_EQ(Trace(), row.trace) << row.what;
    std::vector<uint8_t> expected = original;
    for (const auto& [from, to] : row.converted) {
      for (size_t i = from; i < to; ++i)
        expected[i] = MapCp1251ToCp866(expected[i]);
    }
    if (row.left != 0) expected.resize(row.left);
    EXPECT_EQ(FakePlatform.files[kName], expected) << row.what;
    std::vector<std::string> reports;
    for (const std::string& action : row.reports)
      reports.push_back(action + kShownName);
    EXPECT_EQ(ReportedActions(), reports) << row.what;
    if (*row.error != 0) {
      EXPECT_EQ(ReportedError(), row.error) << row.what;
    }
  }
}

TEST_F(ConvertFileTest, TheSameCommandFinishesARunAndConvertsOnce) {
  // A run interrupted once its first span is written, or converted whole, then the same
  // file converted again. With the same switch on the file as the run left it, the second
  // goes on where the first stopped, or leaves the file as it is; with the other switch,
  // on a file changed since, where no record is kept, or on other bytes under the same
  // stamp (a backup copied back within the same tick), it converts from the start.
  struct Case {
    const char* what;
    bool interrupted, otherSwitch, changed, stale, noNotes;
    std::string said;
    const char* trace;
    const char* note;  // how the record left begins
  };
  const char* kWhole = "O R0-255 W0-255 R256-511 W256-511 R512-767 W512-513 C";
  const char* kCheckAndWhole = "O R0-255 R0-255 W0-255 R256-511 W256-511 R512-767 W512-513 C";
  const Case cases[] = {
      {"resumed", true, false, false, false, false, "resuming the conversion at byte 262144",
       "O R0-255 R256-511 W256-511 R512-767 W512-513 C", "v1 whole 866 "},
      {"other switch", true, true, false, false, false, "", kWhole, "v1 whole 1251 "},
      {"changed since", true, false, true, false, false, "", kWhole, "v1 whole 866 "},
      {"no record kept", true, false, false, false, true, "", kWhole, ""},
      {"stale", true, false, false, true, false, "", kCheckAndWhole, "v1 whole 866 "},
      {"whole", false, false, false, false, false,
       "converted already, it is in code page 866 now; /866 converts it back",
       "O R0-255 R256-511 C", "v1 whole 866 "},
      {"whole, stale", false, false, false, true, false, "",
       "O R0-255 R256-511 R0-255 W0-255 R256-511 W256-511 R512-767 W512-513 C", "v1 whole 866 "},
      {"whole, other switch", false, true, false, false, false, "", kWhole, "v1 whole 1251 "},
  };
  for (const Case& c : cases) {
    FakePlatformReset();
    FakePlatform.files[kName] = Original(kLong, "");
    FakePlatform.noNotes = c.noNotes;
    FakePlatform.interruptAfter = c.interrupted ? 4 : 0;
    FakePlatform.endReturns = true;
    converter_.direction = kFrom1251;
    NewRun(&converter_);
    try {
      EXPECT_EQ(ConvertFileInPlace(&converter_, FakeName(kName)), !c.interrupted) << c.what;
    } catch (FakeEnded) {
      // the process would have ended here
    }
    EXPECT_EQ(FakePlatform.notes.size(), c.noNotes ? 0u : 1u) << c.what;
    const std::vector<uint8_t> left = FakePlatform.files[kName];

    FakePlatform.writes += c.changed;
    if (c.stale) FakePlatform.files[kName][100] ^= 1;
    if (c.otherSwitch) converter_.direction = kFrom866;
    FakePlatform.calls.clear();
    FakePlatform.errorLines.clear();
    FakePlatform.interruptAfter = 0;
    FakePlatform.interrupted = false;
    NewRun(&converter_);
    EXPECT_TRUE(ConvertFileInPlace(&converter_, FakeName(kName))) << c.what;
    std::vector<std::string> said;
    if (!c.said.empty()) said.push_back(std::string("pelcor: ") + (kShownName + 1) + ": " + c.said);
    EXPECT_EQ(FakePlatform.errorLines, said) << c.what;
    EXPECT_EQ(Trace(), c.trace) << c.what;
    EXPECT_EQ(FakePlatform.notes[kName].substr(0, strlen(c.note)), c.note) << c.what;
    std::vector<uint8_t> expected = Original(kLong, "");
    for (uint8_t& byte : expected)
      byte = MapCp1251ToCp866(byte);
    if (!c.said.empty()) {
      EXPECT_EQ(FakePlatform.files[kName], c.interrupted ? expected : left) << c.what;
    }
  }
}

TEST_F(ConvertFileTest, ARunConvertsEachFileOnceAndSaysWhereItStands) {
  // A second name of a file the run converted is left, with a line. A request to end the
  // process held as the first file is closed leaves the second untouched, and the line
  // says what finishes the run, by whether the first keeps its record.
  struct Case {
    const char* what;
    const char* second;
    bool noNotes;
    size_t interruptAfter;
    std::string said;
  };
  const Case cases[] = {
      {"a link", "s.txt", false, 0, "s.txt: the same file as \x80.txt; skipped"},
      {"interrupted between files", "g.txt", false, 3,
       "g.txt: interrupted; 0 bytes from the start of the file are converted, the files named "
       "before it are done and those after it untouched; the same command finishes the run"},
      {"interrupted, the first unrecorded", "g.txt", true, 3,
       "g.txt: " + Stopped("interrupted", 0,
                           "the same command without the files named before it finishes the "
                           "conversion")},
  };
  for (const Case& c : cases) {
    FakePlatformReset();
    FakePlatform.files[kName] = FakePlatform.files["g.txt"] = Original(2500, "");
    FakePlatform.links["s.txt"] = kName;
    FakePlatform.noNotes = c.noNotes;
    FakePlatform.interruptAfter = c.interruptAfter;
    FakePlatform.endReturns = true;
    NewRun(&converter_);
    EXPECT_TRUE(ConvertFileInPlace(&converter_, FakeName(kName))) << c.what;
    try {
      EXPECT_TRUE(ConvertFileInPlace(&converter_, FakeName(c.second))) << c.what;
    } catch (FakeEnded) {
      // the process would have ended here
    }
    EXPECT_EQ(FakePlatform.errorLines, std::vector<std::string>{"pelcor: " + c.said}) << c.what;
    std::vector<uint8_t> once = Original(2500, "");
    for (uint8_t& byte : once)
      byte = MapCp1251ToCp866(byte);
    EXPECT_EQ(FakePlatform.files[kName], once) << c.what;
    EXPECT_EQ(FakePlatform.files["g.txt"], Original(2500, "")) << c.what;
  }
}

TEST_F(ConvertFileTest, StreamsGoSpanBySpanAndRepeatAfterTheBytesWritten) {
  struct StreamRow {
    const char* what;
    bool whole;
    std::vector<FakeFault> faults;  // blocks count the stream's bytes
    std::u16string keys;
    size_t size;
    const char* pages;  // the text, as Original takes it
    size_t converted;   // the bytes that come out, all converted
    PlatformHandle input = kFakeInput, output = kFakeOutput;
    const char* said = "";   // the line on standard error
    const char* error = "";  // the error line of the last report, where the row says
  };
  const size_t kLong = B(600) + 7;
  const StreamRow rows[] = {
      {"three spans", true, {}, u"", kLong, "", kLong},
      {"read, Repeat", true, {{kFakeRead, B(256), 1, 5, 0}}, u"r", kLong, "", kLong},
      // The bytes a failed read took are gone from the stream: they go out all the same.
      {"read fails after some, Repeat",
       true,
       {{kFakeRead, B(256), 1, 5, 100}},
       u"r",
       kLong,
       "",
       kLong},
      {"read fails after some, Ignore",
       false,
       {{kFakeRead, B(256), 1, 5, 100}},
       u"i",
       kLong,
       "",
       B(256) + 100},
      {"write cut short, Repeat", true, {{kFakeWrite, B(300), 1, 28, 100}}, u"r", kLong, "", kLong},
      {"write, Abort", false, {{kFakeWrite, B(300), 1, 28, 100}}, u"a", kLong, "", B(300) + 100},
      {"refused, Abort", false, {}, u"a", 2500, "8", 0},
      {"refused, Ignore", true, {}, u"i", 2500, "8", 2500},
      // Binary data is named by its first control code and that code's offset in the stream.
      {"binary, Abort",
       false,
       {},
       u"a",
       2500,
       "b",
       0,
       kFakeInput,
       kFakeOutput,
       "",
       "not text: binary symbol 0x04 found at offset 100; Pelcor converts only text"},
      // Closed when the program started: nothing is taken from the other stream.
      {"input closed",
       false,
       {},
       u"",
       2500,
       "",
       0,
       kNoHandle,
       kFakeOutput,
       "pelcor: -: standard input is closed"},
      {"output closed",
       false,
       {},
       u"",
       2500,
       "",
       0,
       kFakeInput,
       kNoHandle,
       "pelcor: -: standard output is closed"},
  };
  for (const StreamRow& row : rows) {
    FakePlatformReset();
    FakePlatform.streamIn = Original(row.size, row.pages);
    FakePlatform.faults = row.faults;
    FakePlanKeys(row.keys);
    EXPECT_EQ(ConvertStream(&converter_, row.input, row.output, "-"), row.whole) << row.what;
    std::vector<std::string> said;
    if (*row.said != 0) said.push_back(row.said);
    EXPECT_EQ(FakePlatform.errorLines, said) << row.what;
    std::vector<uint8_t> expected(FakePlatform.streamIn.begin(),
                                  FakePlatform.streamIn.begin() + row.converted);
    for (uint8_t& byte : expected)
      byte = MapCp1251ToCp866(byte);
    EXPECT_EQ(FakePlatform.streamOut, expected) << row.what;
    if (*row.error != 0) {
      EXPECT_EQ(ReportedError(), row.error) << row.what;
    }
  }
}

TEST_F(ConvertFileTest, ProgressShowsOnATerminalOnceASecondHasPassed) {
  // Each reading of the clock moves it on by 0.7 s: the line shows after the second span,
  // not the first, and is cleared before the report of the third span's write, and at the
  // end of a stream.
  FakePlatform.terminal = true;
  FakePlatform.clockStepMs = 700;
  FakePlatform.files[kName] = Original(kLong, "");
  FakePlatform.faults = {{kFakeWrite, B(512), kFakeForever, 28, 0}};
  FakePlanKeys(u"i");
  EXPECT_FALSE(ConvertFileInPlace(&converter_, FakeName(kName)));
  EXPECT_EQ(FakeConsoleText().find(std::string("\rpelcor: ") + (kShownName + 1) +
                                   ": 99%, 0.3 MB/s\r\r\nAction : write to file"),
            0u)
      << FakeConsoleText();

  FakePlatformReset();
  FakePlatform.terminal = true;
  FakePlatform.clockStepMs = 700;
  FakePlatform.streamIn = Original(B(600) + 7, "");
  Converter russian;
  ASSERT_TRUE(StartConverter(&russian, kFrom1251, {kRussian, kFakeInput, kFakeOutput, kFakeError}));
  EXPECT_TRUE(ConvertStream(&russian, kFakeInput, kFakeOutput, "-"));
  EndConverter(&russian);
  EXPECT_EQ(FakeConsoleText(), "\r" + Recode("pelcor: -: 524288 байт, 0,3 МБ/с", "CP866") + "\r");

  // Reports that go to a pipe or a file get no line.
  FakePlatformReset();
  FakePlatform.clockStepMs = 700;
  FakePlatform.streamIn = Original(B(600) + 7, "");
  EXPECT_TRUE(ConvertStream(&converter_, kFakeInput, kFakeOutput, "-"));
  EXPECT_EQ(FakeConsoleText(), "");
}

TEST_F(ConvertFileTest, AnInterruptedFilterEndsAfterTheSpanInHand) {
  // The request comes with the first span's read: that span goes out converted, the line
  // says how far the filter got, and the process ends before the next read.
  FakePlatform.streamIn = Original(B(600) + 7, "");
  FakePlatform.interruptAfter = 1;
  FakePlatform.endReturns = true;
  EXPECT_THROW(ConvertStream(&converter_, kFakeInput, kFakeOutput, "-"), FakeEnded);
  std::vector<uint8_t> expected(FakePlatform.streamIn.begin(),
                                FakePlatform.streamIn.begin() + kSpanSize);
  for (uint8_t& byte : expected)
    byte = MapCp1251ToCp866(byte);
  EXPECT_EQ(FakePlatform.streamOut, expected);
  EXPECT_EQ(FakePlatform.streamRead, kSpanSize);
  const std::vector<std::string> said = {
      "pelcor: -: interrupted; 262144 bytes from the start of the file are converted; the "
      "conversion cannot be resumed"};
  EXPECT_EQ(FakePlatform.errorLines, said);
}

TEST_F(ConvertFileTest, ARequestHeldAsTheLastFileIsDoneEndsTheRunWithALine) {
  // The request comes with the last span of the last file: the file goes on to its end,
  // whole, and the run ends with a line that says every file named is done.
  FakePlatform.files[kName] = Original(2500, "");
  FakePlatform.interruptAfter = 4;
  FakePlatform.endReturns = true;
  NewRun(&converter_);
  EXPECT_TRUE(ConvertFileInPlace(&converter_, FakeName(kName)));
  EXPECT_TRUE(FakePlatform.errorLines.empty());
  std::vector<uint8_t> expected = Original(2500, "");
  for (uint8_t& byte : expected)
    byte = MapCp1251ToCp866(byte);
  EXPECT_EQ(FakePlatform.files[kName], expected);
  EXPECT_THROW(EndRunIfInterrupted(&converter_), FakeEnded);
  const std::vector<std::string> said = {std::string("pelcor: ") + (kShownName + 1) +
                                         ": interrupted after it; every file named is done"};
  EXPECT_EQ(FakePlatform.errorLines, said);
}

// The check's line of the file, written as the fake door keeps it.
std::string CheckLine(const Console& console, const Plan& plan, uint8_t* buffer) {
  FakePlatform.output.clear();
  const FileCheck check = CheckFile(FakeName(kName), kNameWhole, plan, buffer);
  WriteCheckLine(console, kFakeOutput, FakeName(kName), check, plan);
  std::string written;
  for (const std::string& piece : FakePlatform.output)
    written += piece;
  return written;
}

// Converts the file holding text with /1251 until a request to end the process, held
// once the first span is written, ends the run; the request is then forgotten.
void InterruptAfterFirstSpan(Converter* converter, const std::vector<uint8_t>& text) {
  FakePlatform.files[kName] = text;
  FakePlatform.interruptAfter = 4;
  FakePlatform.endReturns = true;
  NewRun(converter);
  EXPECT_THROW(ConvertFileInPlace(converter, FakeName(kName)), FakeEnded);
  FakePlatform.interruptAfter = 0;
  FakePlatform.interrupted = false;
}

TEST_F(ConvertFileTest, CheckAndToFollowTheFilesRecord) {
  // A run interrupted once its first span is written: --check tells where it stopped and
  // what each conversion would do; --to the code page that run converted to goes on from
  // there, whatever the letters of the rest, and leaves the file once its record says it
  // is there. A file that cannot be read is said so, with no question.
  InterruptAfterFirstSpan(&converter_, Original(kLong, ""));
  const Plan none = {true, kAimNone, kFrom1251, kCodePage1251, nullptr};
  const Plan by1251 = {true, kAimSwitch, kFrom1251, kCodePage1251, "/1251"};
  const Plan to866 = {true, kAimToPage, kFrom1251, kCodePage866, "--to=866"};
  const Plan to1251 = {true, kAimToPage, kFrom1251, kCodePage1251, "--to=1251"};
  const std::string part = std::string("part\t") + kName + "\tinterrupted at byte 262144 by /1251";
  const std::string whole = std::string("866\t") + kName + "\tcode page 866, converted by Pelcor";
  const std::pair<Plan, std::string> before[] = {
      {none, part + "\r\n"},
      {by1251, part + "\t/1251 converts it\r\n"},
      {to866, part + "\t--to=866 converts it\r\n"},
      {to1251, part + "\t--to=1251 leaves it: cannot tell which code page\r\n"}};
  for (const auto& [plan, line] : before)
    EXPECT_EQ(CheckLine(console_, plan, converter_.span), line);
  const std::string said = std::string("pelcor: ") + (kShownName + 1) + ": ";
  converter_.toPage = true;
  converter_.target = kCodePage866;
  for (const char* line : {"resuming the conversion at byte 262144",
                           "converted already, it is in code page 866 now; /866 converts it "
                           "back"}) {
    FakePlatform.errorLines.clear();
    NewRun(&converter_);
    EXPECT_TRUE(ConvertFileInPlace(&converter_, FakeName(kName)));
    EXPECT_EQ(FakePlatform.errorLines, std::vector<std::string>{said + line});
  }
  const std::pair<Plan, std::string> after[] = {{none, whole + "\r\n"},
                                                {by1251, whole + "\tnothing to do\r\n"},
                                                {to1251, whole + "\t--to=1251 converts it\r\n"}};
  for (const auto& [plan, line] : after)
    EXPECT_EQ(CheckLine(console_, plan, converter_.span), line);
  FakePlatform.errorTexts[5] = "Access is denied.";
  FakePlatform.faults = {{kFakeRead, 0, kFakeForever, 5, 0}};
  EXPECT_EQ(CheckLine(console_, none, converter_.span),
            std::string("unknown\t") + kName + "\tcannot read: access is denied\r\n");
  EXPECT_EQ(FakeConsoleText(), "");
}

TEST_F(ConvertFileTest, CheckJudgesARecordedFileAsToConvertsIt) {
  // Russian prose in 1251, a run of /1251 interrupted once its first span is written:
  // --to=866 goes on from the record, from 1251, and --check says so; once whole, the
  // record puts the file in 866, and --to=1251 converts it back from 866.
  InterruptAfterFirstSpan(&converter_, Original(kLong, "1"));
  const Plan to866 = {true, kAimToPage, kFrom1251, kCodePage866, "--to=866"};
  const Plan to1251 = {true, kAimToPage, kFrom1251, kCodePage1251, "--to=1251"};
  EXPECT_EQ(CheckLine(console_, to866, converter_.span),
            std::string("part\t") + kName +
                "\tinterrupted at byte 262144 by /1251\t--to=866 "
                "converts it\r\n");
  converter_.toPage = true;
  converter_.target = kCodePage866;
  NewRun(&converter_);
  EXPECT_TRUE(ConvertFileInPlace(&converter_, FakeName(kName)));
  EXPECT_EQ(CheckLine(console_, to1251, converter_.span),
            std::string("866\t") + kName +
                "\tcode page 866 (Russian), converted by Pelcor\t--to=1251 converts it\r\n");
  EXPECT_EQ(FakeConsoleText(), "");
}

TEST_F(ConvertFileTest, ReportsTheSystemsErrorForTheFile) {
  // A missing file, and a cut name with the error of a name too long.
  FakePlatform.errorTexts[kFakeNoSuchFile] = "No such file.\r\n";
  FakePlatform.errorTexts[kErrorNameTooLong] = "The file name is too long.";
  FakePlanKeys(u"a");
  ConvertFileInPlace(&converter_, FakeName("gone.txt"));
  EXPECT_NE(FakeConsoleText().find("Error : no such file\r\n"), std::string::npos);
  FakePlanKeys(u"a");
  ConvertFileInPlace(&converter_, FakeName(kName), kNameCut);
  EXPECT_NE(FakeConsoleText().find("Error : the file name is too long\r\n"), std::string::npos);
}

}  // namespace
