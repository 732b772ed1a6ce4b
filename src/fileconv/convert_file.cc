#include "fileconv/convert_file.h"

#include <stdlib.h>

#include "errors/error_context.h"
#include "fileconv/check_line.h"
#include "fileconv/code_page_guard.h"
#include "fileconv/file_check.h"
#include "fileconv/resume_record.h"

static_assert(kSpanSize >= kGuardSampleSize, "the guard samples into the span buffer");

namespace {

// Runs one guarded call, which returns the system's error: tries it, and while it fails
// reports and tries again as long as the operator answers Repeat. Returns kAnswerNone
// when the call went through at last, otherwise the answer.
template <typename Call>
AnswerCode Guarded(Converter* c, uint16_t action, Call call) {
  for (;;) {
    const PlatformError error = call();
    if (error == 0) return kAnswerNone;
    ClearProgress(&c->progress);
    const AnswerCode answer = ReportSystemError(c->console, action, c->name, error);
    if (answer == kAnswerRepeat) continue;
    c->allDone = false;
    c->aborted = answer == kAnswerAbort;
    return answer;
  }
}

// Counts size bytes written at offset as converted, while they go on from the start.
void Converted(Converter* c, uint64_t offset, uint32_t size) {
  if (c->convertedFromStart == offset) c->convertedFromStart += size;
}

// The bytes of the block that starts at done, of the count in hand.
uint32_t BlockAt(uint32_t done, uint32_t count) {
  return count - done < kBlockSize ? count - done : kBlockSize;
}

// Converts the blocks that hold the first count bytes of the buffer, each block whole,
// whatever part of it was read: only the bytes read go back. Notes of each block whether
// its bytes read changed.
void ConvertBlocksOf(Converter* c, uint32_t count) {
  for (uint32_t done = 0; done < count; done += kBlockSize) {
    uint8_t* const block = c->span + done;
    const uint32_t read = BlockAt(done, count);
    c->blockChanged[done / kBlockSize] =
        ConvertBuffer(c->direction, block, static_cast<uint16_t>(read));
    if (read < kBlockSize)
      ConvertBuffer(c->direction, block + read, static_cast<uint16_t>(kBlockSize - read));
  }
}

// How the conversion of a span ended.
enum SpanEnd { kSpanGoesOn, kSpanLast, kSpanAborted };

// Writes one block of the buffer, at done, back at offset + done with its own report and
// answer. A block that did not change is not written: it is converted as it stands.
void WriteBlock(Converter* c, PlatformHandle file, uint64_t offset, uint32_t done, uint32_t size) {
  AnswerCode answer = kAnswerNone;
  if (c->blockChanged[done / kBlockSize]) {
    uint32_t written;  // not looked at: a write that succeeds has written everything
    answer = Guarded(c, kActionWriteFile, [&] {
      return PlatformWriteAt(file, offset + done, c->span + done, size, &written);
    });
  }
  // An ignored failed write leaves its block as it was.
  if (answer == kAnswerNone) Converted(c, offset + done, size);
}

// Writes the bytes of the buffer from done up to count back at offset + done block by
// block, each block with its own report and answer, as when every transfer was one block.
// False after Abort.
bool WriteBlockByBlock(Converter* c, PlatformHandle file, uint64_t offset, uint32_t done,
                       uint32_t count) {
  for (; done < count && !c->aborted; done += BlockAt(done, count))
    WriteBlock(c, file, offset, done, BlockAt(done, count));
  return !c->aborted;
}

// Reads, converts and writes back the block at *offset, with the reports of its read and
// write, and moves *offset past it.
SpanEnd ConvertBlock(Converter* c, PlatformHandle file, uint64_t* offset) {
  uint32_t count = 0;
  Guarded(c, kActionReadFile,
          [&] { return PlatformReadAt(file, *offset, c->span, kBlockSize, &count); });
  if (c->aborted) return kSpanAborted;
  ConvertBlocksOf(c, count);
  if (!WriteBlockByBlock(c, file, *offset, 0, count)) return kSpanAborted;
  *offset += count;
  return count == kBlockSize ? kSpanGoesOn : kSpanLast;
}

// A span whose read failed: its blocks are read, converted and written in turn.
SpanEnd ConvertSpanBlockByBlock(Converter* c, PlatformHandle file, uint64_t* offset) {
  for (uint32_t block = 0; block < kSpanBlocks; ++block) {
    const SpanEnd end = ConvertBlock(c, file, offset);
    if (end != kSpanGoesOn) return end;
  }
  return kSpanGoesOn;
}

// The end of the run of blocks from first on that changed alike, of the count in hand.
uint32_t RunEnd(const Converter* c, uint32_t first, uint32_t count) {
  const bool changed = c->blockChanged[first / kBlockSize];
  uint32_t done = first;
  while (done < count && c->blockChanged[done / kBlockSize] == changed)
    done = count - done < kBlockSize ? count : done + kBlockSize;
  return done;
}

// Writes the count bytes converted at offset back, each run of blocks that changed in one
// write, and goes block by block over a run whose write fails or is cut short. False
// after Abort.
bool WriteChangedRuns(Converter* c, PlatformHandle file, uint64_t offset, uint32_t count) {
  for (uint32_t first = 0, done = 0; first < count; first = done) {
    done = RunEnd(c, first, count);
    uint32_t written = 0;
    if (!c->blockChanged[first / kBlockSize] ||
        (PlatformWriteAt(file, offset + first, c->span + first, done - first, &written) == 0 &&
         written == done - first)) {
      Converted(c, offset + first, done - first);
    } else if (!WriteBlockByBlock(c, file, offset, first, done)) {
      return false;
    }
  }
  return true;
}

// Reads, converts and writes back the span at *offset, and moves *offset past it. Each
// block is read and written at its own offset, which goes with every attempt of the
// transfer: no attempt depends on where an earlier one, failed or not, left the file
// position, so no block can ever land anywhere but where it was read.
//
// A span that does not go through whole goes block by block, so that every report and
// answer, and every byte, is what it would be if each transfer carried one block. A read
// that fails has written nothing: the span's blocks are read, converted and written in
// turn. A write that fails or is cut short may have written any part of what it carried:
// those blocks are written again from the first, from the bytes converted already. A
// fault that does not come back when its block is tried on its own is not reported.
//
// Only what changes is written: each run of blocks that changed goes in one write, and
// blocks whose bytes stay as they were are not written back, so that holes stay holes and
// a file with nothing to convert keeps its blocks and its time of last change.
SpanEnd ConvertSpan(Converter* c, PlatformHandle file, uint64_t* offset) {
  uint32_t count = 0;
  if (PlatformReadAt(file, *offset, c->span, kSpanSize, &count) != 0)
    return ConvertSpanBlockByBlock(c, file, offset);
  ConvertBlocksOf(c, count);
  if (!WriteChangedRuns(c, file, *offset, count)) return kSpanAborted;
  *offset += count;
  // A read shorter than the span has met the end of the file. One that ends on a block
  // boundary leaves a read of nothing to the next span, as a last block of 1024 bytes
  // leaves one to the next block.
  return count != 0 && count % kBlockSize == 0 ? kSpanGoesOn : kSpanLast;
}

// Converts the file span by span from offset on, until a short read or an Abort. A
// request to end the process waits for the span in hand, and is obeyed after it.
void ConvertSpans(Converter* c, PlatformHandle file, uint64_t offset) {
  while (ConvertSpan(c, file, &offset) == kSpanGoesOn && !PlatformInterrupted())
    ShowProgress(&c->progress, offset);
  ClearProgress(&c->progress);
}

// The size of the open file, 0 where the system cannot tell.
uint64_t SizeOf(PlatformHandle file) {
  uint64_t size = 0;
  uint64_t modified;
  return PlatformFileStamp(file, &size, &modified) == 0 ? size : 0;
}

// Says one of Pelcor's own lines on standard error, in the console's language, with the
// name shown and the count in place of its two %s.
void SayWithCount(const Converter* c, int16_t text, const char* count) {
  FormatSlot slots[2];
  slots[0].text = c->name[0].text;
  slots[1].text = count;
  char line[kActionTextSize + 192];
  FormatMessageTextMax(line, sizeof line, OwnText(c->console.language, text), slots);
  PlatformWriteErrorLine(line);
}

// The same with a number of bytes, as digits alone or, in words that agree with it, as
// the bytes converted from the start of the file.
void SayWithNumber(const Converter* c, int16_t text, uint64_t value, bool inWords) {
  char digits[21];
  CountToText(value, digits);
  if (!inWords) return SayWithCount(c, text, digits);
  FormatSlot slot[1];
  slot[0].text = digits;
  char words[96];
  FormatMessageTextMax(words, sizeof words, ConvertedCountText(c->console.language, value), slot);
  SayWithCount(c, text, words);
}

// Makes the counts of a file, or a stream, whose reports show shown.
void StartFile(Converter* c, const char* shown) {
  c->allDone = true;
  c->aborted = false;
  c->convertedFromStart = 0;
  c->name[0].text = shown;
  c->progress = ProgressLine{};
}

// Opens the named file for the conversion, with the open's reports: kNoHandle after an
// answer other than Repeat. A name whose end is missing fails as the system fails a
// name too long for it, and touches nothing.
PlatformHandle OpenFile(Converter* c, PlatformName name, NameState state) {
  PlatformHandle file = kNoHandle;
  Guarded(c, kActionOpenFile, [&] {
    return state == kNameWhole ? PlatformOpenForUpdate(name, &file) : NameError(state);
  });
  return file;
}

// After the spans: an interrupted run without a gap is recorded on the file, and a file
// converted whole loses any record. Only a run without a gap can be finished from where
// it stopped: after a failure answered Ignore the bytes converted from the start end at
// the gap, and later ones are converted too. Whether the run was recorded.
bool KeepRecord(Converter* c, PlatformHandle file) {
  const bool gapless = c->allDone && !c->aborted;
  if (PlatformInterrupted())
    return gapless && RecordInterruption(c->direction, file, c->convertedFromStart);
  if (gapless) PlatformRemoveNote(file);  // the file is whole
  return false;
}

// Converts the open file from where an interrupted run of the same direction recorded
// that it got to, once the guard has judged the text still to convert; without a handle
// there is no text to judge, and the conversion reports the failed read. Whether an
// interrupted run was recorded.
bool ConvertOpenFile(Converter* c, PlatformHandle file) {
  const uint64_t from = file != kNoHandle ? RecordedOffset(c->direction, file) : 0;
  if (from != 0) SayWithNumber(c, kOwnTextResuming, from, false);
  c->convertedFromStart = from;
  if (file != kNoHandle &&
      !CodePageAgrees(c->console, c->direction, file, from, c->name, c->span)) {
    c->aborted = true;
    return false;
  }
  PlatformBeginInterruptible();
  c->progress = StartProgress(c->console, c->name[0].text, SizeOf(file), from);
  ConvertSpans(c, file, from);
  return KeepRecord(c, file);
}

// Closes the file. A system may report only now that written data did not reach the
// disk. That is the write's failure; the handle is gone all the same, so whatever the
// answer the run ends here.
void CloseFile(Converter* c, PlatformHandle file) {
  const PlatformError error = PlatformClose(file);
  if (error == 0 || file == kNoHandle) return;
  ReportSystemError(c->console, kActionWriteFile, c->name, error);
  c->allDone = false;
}

// Interrupted: the file is closed with the blocks written so far; says how far the run
// got, and ends the process as the request would have ended it.
[[noreturn]] void EndInterrupted(const Converter* c, bool recorded, NamePlace place) {
  const int16_t resumable =
      place == kNamedFirst ? kOwnTextInterrupted : kOwnTextInterruptedAfterOthers;
  SayWithNumber(c, recorded ? resumable : kOwnTextNotResumable, c->convertedFromStart, true);
  PlatformEndInterrupted();
}

// Moves size bytes between the span buffer and a stream, reading for kActionReadFile and
// writing otherwise, with the reports of the transfer. Repeat goes on after the bytes
// moved: those read are gone from the stream, those written cannot come back. A failed
// read answered Ignore ends the stream after the bytes it took. Returns the bytes moved.
uint32_t MoveSpan(Converter* c, PlatformHandle stream, uint16_t action, uint32_t size) {
  uint32_t done = 0;
  Guarded(c, action, [&] {
    uint32_t moved = 0;
    const PlatformError error =
        action == kActionReadFile
            ? PlatformReadStream(stream, c->span + done, size - done, &moved)
            : PlatformWriteStream(stream, c->span + done, size - done, &moved);
    done += moved;
    return error;
  });
  return done;
}

// Converts the count bytes in hand and those that follow, span by span, until the input
// ends, an Abort or a request to end the process; or, unless convert, passes them on as
// they are.
void ConvertStreamSpans(Converter* c, PlatformHandle input, PlatformHandle output, uint32_t count,
                        bool convert) {
  while (!c->aborted) {
    if (convert) ConvertBlocksOf(c, count);
    const uint32_t done = MoveSpan(c, output, kActionWriteFile, count);
    if (c->aborted) return;
    Converted(c, c->convertedFromStart, done);
    if (count < kSpanSize || PlatformInterrupted()) return;
    ShowProgress(&c->progress, c->convertedFromStart);
    count = MoveSpan(c, input, kActionReadFile, kSpanSize);
  }
}

// With --to: what the file or stream, judged by check, comes to. One to convert, or
// for the guard to refuse, is converted from the other code page; one left as it is is
// said so.
Outcome AimAtPage(Converter* c, const FileCheck& check) {
  c->direction = DirectionFrom(OtherCodePage(c->target));
  // A read that fails is met again, and reported, by the conversion.
  if (check.failure != 0 || check.outcome == kOutcomeRefuses) return kOutcomeConverts;
  if (check.outcome != kOutcomeConverts) SayLeft(c->console.language, c->shown, check, c->target);
  return check.outcome;
}

Plan ToPagePlan(const Converter* c) {
  return {false, kAimToPage, c->direction, c->target, nullptr};
}

}  // namespace

bool StartConverter(Converter* converter, Direction direction, const Console& console) {
  converter->direction = direction;
  converter->console = console;
  converter->toPage = false;
  converter->target = kCodePage1251;
  // Touched only as far as the file reaches: the memory used grows up to one span.
  converter->span = static_cast<uint8_t*>(malloc(kSpanSize));
  return converter->span != nullptr;
}

void EndConverter(Converter* converter) {
  free(converter->span);
  converter->span = nullptr;
}

bool ConvertFileInPlace(Converter* c, PlatformName name, NameState state, NamePlace place) {
  PlatformShowName(name, c->shown, sizeof c->shown);
  StartFile(c, c->shown);
  const PlatformHandle file = OpenFile(c, name, state);
  // After an Abort no handle was obtained and there is nothing to close.
  if (c->aborted) return false;
  const Outcome aimed = c->toPage && file != kNoHandle
                            ? AimAtPage(c, CheckOpenFile(file, ToPagePlan(c), c->span))
                            : kOutcomeConverts;
  if (aimed != kOutcomeConverts) {
    PlatformClose(file);  // nothing was written
    return aimed == kOutcomeNothing;
  }
  const bool recorded = ConvertOpenFile(c, file);
  CloseFile(c, file);
  if (PlatformInterrupted()) EndInterrupted(c, recorded, place);
  PlatformEndInterruptible();
  return c->allDone && !c->aborted;
}

bool ConvertStream(Converter* c, PlatformHandle input, PlatformHandle output,
                   const char* shownName) {
  StartFile(c, shownName);
  const uint32_t count = MoveSpan(c, input, kActionReadFile, kSpanSize);
  // Nothing is written before the guard has judged what the first span holds.
  if (c->aborted) return false;
  const Outcome aimed =
      c->toPage ? AimAtPage(c, CheckBytes(c->span, count, ToPagePlan(c))) : kOutcomeConverts;
  if (aimed == kOutcomeConverts && !BytesAgree(c->console, c->direction, c->span, count, c->name))
    return false;
  PlatformBeginInterruptible();
  c->progress = StartProgress(c->console, shownName, 0, 0);
  ConvertStreamSpans(c, input, output, count, aimed == kOutcomeConverts);
  ClearProgress(&c->progress);
  if (PlatformInterrupted()) {
    SayWithNumber(c, kOwnTextNotResumable, c->convertedFromStart, true);
    PlatformEndInterrupted();
  }
  PlatformEndInterruptible();
  return c->allDone && !c->aborted && aimed != kOutcomeCannotTell;
}
