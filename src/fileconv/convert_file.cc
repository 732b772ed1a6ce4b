#include "fileconv/convert_file.h"

#include "codepage/byte_maps.h"
#include "errors/console_output.h"
#include "errors/error_context.h"
#include "errors/report_texts.h"
#include "fileconv/code_page_guard.h"
#include "fileconv/progress.h"
#include "fileconv/resume_record.h"
#include "platform/platform.h"
#include "text/formatter.h"

namespace {

// The one buffer of the conversion, a span long, reused for every span and every block,
// and first for the guard's samples: the memory used is the same whatever the size of
// the file.
uint8_t SpanBuffer[kSpanBlocks * kBlockSize];
static_assert(sizeof SpanBuffer >= kGuardSampleSize, "the guard samples into the span buffer");

// Whether the bytes read of each block of the span buffer changed in their conversion:
// a block whose bytes stay as they were is not written back.
bool BlockChanged[kSpanBlocks];

// Whether every guarded call of the run succeeded at last. A failure answered Ignore
// leaves part of the file unconverted although the run goes on.
bool AllDone;

// The bytes from the start of the file that are converted: every block up to here was
// written whole.
uint64_t ConvertedFromStart;

// How far the conversion has got, on the terminal where the reports go.
ProgressLine Progress;

// Runs one guarded call: tries it, and while it fails reports and tries again as long as
// the operator answers Repeat. The answer stays in the error context.
template <typename Call>
void Guarded(Call call) {
  for (;;) {
    ClearAnswer();
    if (call()) return;
    ClearProgress(&Progress);
    if (ReportSystemError() != kAnswerRepeat) break;
  }
  AllDone = false;
}

// Counts size bytes written at offset as converted, while they go on from the start.
void Converted(uint64_t offset, uint32_t size) {
  if (ConvertedFromStart == offset) ConvertedFromStart += size;
}

bool Aborted() {
  return ErrorContext.answer == kAnswerAbort;
}

// The bytes a span asks for.
constexpr uint32_t kSpanSize = kSpanBlocks * kBlockSize;

// Converts the blocks that hold the first count bytes of the buffer, each block whole,
// whatever part of it was read: only the bytes read go back. Notes of each block whether
// its bytes read changed.
void ConvertBlocksOf(uint32_t count) {
  for (uint32_t done = 0; done < count; done += kBlockSize) {
    uint8_t* const block = SpanBuffer + done;
    const uint32_t read = count - done < kBlockSize ? count - done : kBlockSize;
    BlockChanged[done / kBlockSize] = ConvertBuffer(block, static_cast<uint16_t>(read));
    if (read < kBlockSize) ConvertBuffer(block + read, static_cast<uint16_t>(kBlockSize - read));
  }
}

// How the conversion of a span ended.
enum SpanEnd { kSpanGoesOn, kSpanLast, kSpanAborted };

// A read shorter than it asked for, down to none, ends the file.
SpanEnd EndAfter(uint32_t count, uint32_t asked) {
  return count == asked ? kSpanGoesOn : kSpanLast;
}

// Writes the bytes of the buffer from done up to count back at offset + done block by
// block, each block with its own report and answer, as when every transfer was one block.
// A block that did not change is not written: it is converted as it stands. False after
// Abort.
bool WriteBlockByBlock(PlatformHandle file, uint64_t offset, uint32_t done, uint32_t count,
                       const FormatSlot* arguments) {
  while (done < count) {
    const uint32_t size = count - done < kBlockSize ? count - done : kBlockSize;
    if (!BlockChanged[done / kBlockSize]) {
      Converted(offset + done, size);
      done += size;
      continue;
    }
    SetErrorAction(kActionWriteFile, arguments);
    uint32_t written;  // not looked at: a write that succeeds has written everything
    Guarded(
        [&] { return PlatformWriteAt(file, offset + done, SpanBuffer + done, size, &written); });
    if (Aborted()) return false;
    // An ignored failed write leaves its block as it was.
    if (ErrorContext.answer != kAnswerIgnore) Converted(offset + done, size);
    done += size;  // also after an ignored failed write
  }
  return true;
}

// Reads, converts and writes back the block at *offset, with the reports of its read and
// write, and moves *offset past it.
SpanEnd ConvertBlock(PlatformHandle file, uint64_t* offset, const FormatSlot* arguments) {
  uint32_t count = 0;
  SetErrorAction(kActionReadFile, arguments);
  Guarded([&] { return PlatformReadAt(file, *offset, SpanBuffer, kBlockSize, &count); });
  if (Aborted()) return kSpanAborted;
  ConvertBlocksOf(count);
  if (!WriteBlockByBlock(file, *offset, 0, count, arguments)) return kSpanAborted;
  *offset += count;
  return EndAfter(count, kBlockSize);
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
SpanEnd ConvertSpan(PlatformHandle file, uint64_t* offset, const FormatSlot* arguments) {
  const uint32_t asked = kSpanSize;
  uint32_t count = 0;
  SetErrorAction(kActionReadFile, arguments);
  if (!PlatformReadAt(file, *offset, SpanBuffer, asked, &count)) {
    for (uint32_t block = 0; block < asked / kBlockSize; ++block) {
      const SpanEnd end = ConvertBlock(file, offset, arguments);
      if (end != kSpanGoesOn) return end;
    }
    return kSpanGoesOn;
  }
  ConvertBlocksOf(count);
  for (uint32_t done = 0; done < count;) {
    const uint32_t first = done;
    const bool changed = BlockChanged[done / kBlockSize];
    while (done < count && BlockChanged[done / kBlockSize] == changed)
      done = count - done < kBlockSize ? count : done + kBlockSize;
    SetErrorAction(kActionWriteFile, arguments);
    uint32_t written = 0;
    if (!changed ||
        (PlatformWriteAt(file, *offset + first, SpanBuffer + first, done - first, &written) &&
         written == done - first)) {
      Converted(*offset + first, done - first);
    } else if (!WriteBlockByBlock(file, *offset, first, done, arguments)) {
      return kSpanAborted;
    }
  }
  *offset += count;
  // A read shorter than the span has met the end of the file. One that ends on a block
  // boundary leaves a read of nothing to the next span, as a last block of 1024 bytes
  // leaves one to the next block.
  return count != 0 && count % kBlockSize == 0 ? kSpanGoesOn : kSpanLast;
}

// Converts the file span by span from offset on, until a short read or an Abort. A
// request to end the process waits for the span in hand, and is obeyed after it.
void ConvertSpans(PlatformHandle file, uint64_t offset, const FormatSlot* arguments) {
  while (ConvertSpan(file, &offset, arguments) == kSpanGoesOn && !PlatformInterrupted())
    ShowProgress(&Progress, offset);
  ClearProgress(&Progress);
}

// The size of the open file, 0 where the system cannot tell.
uint64_t SizeOf(PlatformHandle file) {
  uint64_t size = 0;
  uint64_t modified;
  return PlatformFileStamp(file, &size, &modified) ? size : 0;
}

// Says one of Pelcor's own lines on standard error, in the report's language, with the
// name shown and the count in place of its two %s.
void SayWithCount(int16_t text, const char* shownName, const char* count) {
  FormatSlot slots[2];
  slots[0].text = shownName;
  slots[1].text = count;
  char line[kActionTextSize + 192];
  FormatMessageTextMax(line, sizeof line, OwnText(text), slots);
  PlatformWriteErrorLine(line);
}

// The same with a number of bytes, as digits alone or, in words that agree with it, as
// the bytes converted from the start of the file.
void SayWithNumber(int16_t text, const char* shownName, uint64_t value, bool inWords) {
  char digits[21];
  CountToText(value, digits);
  if (!inWords) return SayWithCount(text, shownName, digits);
  FormatSlot slot[1];
  slot[0].text = digits;
  char words[96];
  FormatMessageTextMax(words, sizeof words, ConvertedCountText(value), slot);
  SayWithCount(text, shownName, words);
}

// The open of a name whose end is missing: it fails as the system fails a name too
// long for it, and touches nothing.
PlatformHandle RefuseCutName() {
  PlatformSetLastError(kErrorNameTooLong);
  return kNoHandle;
}

}  // namespace

bool ConvertFileInPlace(PlatformName name, NameState state, NamePlace place) {
  AllDone = true;
  // The reports show the name in the console's code page, as much as an action text
  // can hold.
  char shown[kActionTextSize];
  PlatformShowName(name, shown, sizeof shown);
  // The action texts show the name through this list for as long as the call lasts.
  FormatSlot arguments[1];
  arguments[0].text = shown;

  SetErrorAction(kActionOpenFile, arguments);
  PlatformHandle file = kNoHandle;
  Guarded([&] {
    file = state == kNameWhole ? PlatformOpenForUpdate(name) : RefuseCutName();
    return file != kNoHandle;
  });
  // After an Abort no handle was obtained and there is nothing to close.
  if (!Aborted()) {
    // An interrupted run of the same direction recorded how far it got on the file: this
    // one goes on from there.
    const uint64_t from = file != kNoHandle ? RecordedOffset(file) : 0;
    if (from != 0) SayWithNumber(kOwnTextResuming, shown, from, false);
    // Nothing is written before the guard has judged the text still to convert; without a
    // handle there is no text to judge, and the conversion reports the failed read.
    ConvertedFromStart = from;
    bool recorded = false;
    if (file == kNoHandle || CodePageAgrees(file, from, arguments, SpanBuffer)) {
      PlatformBeginInterruptible();
      Progress = StartProgress(StdHandles.error, shown, SizeOf(file), from);
      ConvertSpans(file, from, arguments);
      // Only a run without a gap can be finished from where it stopped: after a failure
      // answered Ignore the bytes converted from the start end at the gap, and later ones
      // are converted too.
      if (PlatformInterrupted()) {
        recorded = AllDone && !Aborted() && RecordInterruption(file, ConvertedFromStart);
      } else if (AllDone && !Aborted()) {
        PlatformRemoveNote(file);  // the file is whole
      }
    }
    // A system may report only now that written data did not reach the disk. That is
    // the write's failure; the handle is gone all the same, so whatever the answer the
    // run ends here.
    if (!PlatformClose(file) && file != kNoHandle) {
      SetErrorAction(kActionWriteFile, arguments);
      ReportSystemError();
      AllDone = false;
    }
    // Interrupted: the file is closed with the blocks written so far; the process ends
    // as the request would have ended it.
    if (PlatformInterrupted()) {
      const int16_t resumable =
          place == kNamedFirst ? kOwnTextInterrupted : kOwnTextInterruptedAfterOthers;
      SayWithNumber(recorded ? resumable : kOwnTextNotResumable, shown, ConvertedFromStart, true);
      PlatformEndInterrupted();
    }
    PlatformEndInterruptible();
  }
  // An Abort recorded by any step, whether a guarded call or not, leaves the file
  // unfinished.
  const bool whole = AllDone && !Aborted();
  // The list ends with this call; a later report must not read it.
  SetErrorAction(ErrorContext.action, nullptr);
  return whole;
}

bool ConvertStream(PlatformHandle input, PlatformHandle output, const char* shownName) {
  AllDone = true;
  ConvertedFromStart = 0;
  FormatSlot arguments[1];
  arguments[0].text = shownName;
  // Repeat of a read goes on after the bytes it took: they are gone from the stream. A
  // failed read answered Ignore ends the stream after them.
  uint32_t count = 0;
  const auto readSpan = [&] {
    count = 0;
    SetErrorAction(kActionReadFile, arguments);
    Guarded([&] {
      uint32_t read = 0;
      const bool ok = PlatformReadStream(input, SpanBuffer + count, kSpanSize - count, &read);
      count += read;
      return ok;
    });
  };
  readSpan();
  // Nothing is written before the guard has judged what the first span holds.
  if (!Aborted() && BytesAgree(SpanBuffer, count, arguments)) {
    PlatformBeginInterruptible();
    Progress = StartProgress(StdHandles.error, shownName, 0, 0);
    while (!Aborted()) {
      ConvertBlocksOf(count);
      // Repeat goes on from the first byte not written: what went out cannot come back.
      uint32_t done = 0;
      SetErrorAction(kActionWriteFile, arguments);
      Guarded([&] {
        uint32_t written = 0;
        const bool ok = PlatformWriteStream(output, SpanBuffer + done, count - done, &written);
        done += written;
        return ok;
      });
      if (Aborted()) break;
      Converted(ConvertedFromStart, done);
      if (count < kSpanSize || PlatformInterrupted()) break;
      ShowProgress(&Progress, ConvertedFromStart);
      readSpan();
    }
    ClearProgress(&Progress);
    if (PlatformInterrupted()) {
      SayWithNumber(kOwnTextNotResumable, shownName, ConvertedFromStart, true);
      PlatformEndInterrupted();
    }
    PlatformEndInterruptible();
  }
  const bool whole = AllDone && !Aborted();
  SetErrorAction(ErrorContext.action, nullptr);
  return whole;
}
