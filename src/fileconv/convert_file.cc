#include "fileconv/convert_file.h"

#include "codepage/byte_maps.h"
#include "errors/error_context.h"
#include "errors/report_texts.h"
#include "fileconv/code_page_guard.h"
#include "fileconv/content_hash.h"
#include "fileconv/file_record.h"
#include "fileconv/standing.h"
#include "platform/platform.h"

namespace {

// The one buffer of the conversion, a span long, reused for every span and every block,
// and first for the guard's samples: the memory used is the same whatever the size of
// the file.
uint8_t SpanBuffer[kSpanBlocks * kBlockSize];
static_assert(sizeof SpanBuffer >= kGuardSampleSize, "the guard samples into the span buffer");

// Whether the bytes read of each block of the span buffer changed in their conversion:
// a block whose bytes stay as they were is not written back.
bool BlockChanged[kSpanBlocks];

// The hash of the bytes read of each block of the span buffer, once converted.
uint64_t BlockHashes[kSpanBlocks];
static_assert(kBlockSize == kHashBlockSize, "the hash takes the converter's blocks");

// Whether every guarded call of the run succeeded at last. A failure answered Ignore
// leaves part of the file unconverted although the run goes on.
bool AllDone;

// Whether bytes past those converted from the start may be converted too: after a
// failure answered Ignore, or a write that moved part of its block before an Abort. No
// record can say then which bytes are converted.
bool Gap;

// The bytes from the start of the file that are converted: every block up to here was
// written whole. With them the chain of their hashes, and whether any block of the file
// was written, in this run or in the one it goes on from.
uint64_t ConvertedFromStart;
uint64_t ConvertedHash;
bool AnyWritten;

// Whether the conversion of the file got to its end.
bool ReachedEnd;

// The file's size when its conversion began. A file found shorter than that was cut by
// another program meanwhile.
uint64_t SizeAtStart;

// Runs one guarded call: tries it, and while it fails reports and tries again as long as
// the operator answers Repeat. The answer stays in the error context.
template <typename Call>
void Guarded(Call call) {
  for (;;) {
    ClearAnswer();
    if (call()) return;
    if (ReportSystemError() != kAnswerRepeat) break;
  }
  AllDone = false;
  Gap |= ErrorContext.answer == kAnswerIgnore;
}

// Counts size bytes from byte done of the span at offset as converted, while they go on
// from the start, and takes the hashes of their blocks into the chain.
void Converted(uint64_t offset, uint32_t done, uint32_t size) {
  if (ConvertedFromStart != offset + done) return;
  for (uint32_t block = done / kBlockSize; block * kBlockSize < done + size; ++block)
    ConvertedHash = ChainHash(ConvertedHash, BlockHashes[block]);
  ConvertedFromStart += size;
}

bool Aborted() {
  return ErrorContext.answer == kAnswerAbort;
}

// The bytes a span asks for.
constexpr uint32_t kSpanSize = kSpanBlocks * kBlockSize;

// Converts the blocks that hold the first count bytes of the buffer, each block whole,
// whatever part of it was read: only the bytes read go back. Notes of each block whether
// its bytes read changed, and their hash, while they are at hand.
void ConvertBlocksOf(uint32_t count) {
  for (uint32_t done = 0; done < count; done += kBlockSize) {
    uint8_t* const block = SpanBuffer + done;
    const uint32_t read = count - done < kBlockSize ? count - done : kBlockSize;
    BlockChanged[done / kBlockSize] = ConvertBuffer(block, static_cast<uint16_t>(read));
    BlockHashes[done / kBlockSize] = BlockHash(block, read);
    if (read < kBlockSize) ConvertBuffer(block + read, static_cast<uint16_t>(kBlockSize - read));
  }
}

// How the conversion of a span ended.
enum SpanEnd { kSpanGoesOn, kSpanLast, kSpanAborted, kSpanCut };

// Whether the file is shorter than when its conversion began: another program cut it.
bool CutShort(PlatformHandle file) {
  uint64_t size = 0, modified = 0;
  return PlatformFileStamp(file, &size, &modified) && size < SizeAtStart;
}

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
      Converted(offset, done, size);
      done += size;
      continue;
    }
    SetErrorAction(kActionWriteFile, arguments);
    uint32_t written = 0;  // a write that succeeds has written everything
    AnyWritten = true;
    Guarded(
        [&] { return PlatformWriteAt(file, offset + done, SpanBuffer + done, size, &written); });
    // What a failed write moved of its block is converted, and not counted.
    Gap |= Aborted() && written != 0;
    if (Aborted()) return false;
    // An ignored failed write leaves its block as it was.
    if (ErrorContext.answer != kAnswerIgnore) Converted(offset, done, size);
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
// a file with nothing to convert keeps its blocks and its time of last change. A file cut
// short by another program since it was read is not written, lest the span make it long
// again; one cut while the span was written stops after it.
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
  if (CutShort(file)) return kSpanCut;
  for (uint32_t done = 0; done < count;) {
    const uint32_t first = done;
    const bool changed = BlockChanged[done / kBlockSize];
    while (done < count && BlockChanged[done / kBlockSize] == changed)
      done = count - done < kBlockSize ? count : done + kBlockSize;
    SetErrorAction(kActionWriteFile, arguments);
    uint32_t written = 0;
    AnyWritten |= changed;
    if (!changed ||
        (PlatformWriteAt(file, *offset + first, SpanBuffer + first, done - first, &written) &&
         written == done - first)) {
      Converted(*offset, first, done - first);
    } else if (!WriteBlockByBlock(file, *offset, first, done, arguments)) {
      return kSpanAborted;
    }
  }
  *offset += count;
  if (CutShort(file)) return kSpanCut;
  // A read shorter than the span has met the end of the file. One that ends on a block
  // boundary leaves a read of nothing to the next span, as a last block of 1024 bytes
  // leaves one to the next block.
  return count != 0 && count % kBlockSize == 0 ? kSpanGoesOn : kSpanLast;
}

// Stops the conversion of a file that another program cut short meanwhile with a report,
// whatever its answer, as after an Abort: the file is no longer what was converted.
void ReportCut(const FormatSlot* arguments) {
  SetErrorAction(kActionWriteFile, arguments);
  ClearAnswer();
  ReportError(kErrorFileChanged, kCauseUnexpected, kRecommendRepeatWhenMended);
  ErrorContext.answer = kAnswerAbort;
  AllDone = false;
}

// Converts the file span by span from offset on, until a short read or an Abort. A
// request to end the process is obeyed between spans, before the first of them too.
void ConvertSpans(PlatformHandle file, uint64_t offset, const FormatSlot* arguments) {
  SpanEnd end = kSpanGoesOn;
  while (end == kSpanGoesOn && !PlatformInterrupted())
    end = ConvertSpan(file, &offset, arguments);
  if (end == kSpanCut) ReportCut(arguments);
  ReachedEnd = end == kSpanLast;
}

// The open of a name whose end is missing: it fails as the system fails a name too
// long for it, and touches nothing.
PlatformHandle RefuseCutName() {
  PlatformSetLastError(kErrorNameTooLong);
  return kNoHandle;
}

// Opens the named file, each failure reported and its answer obeyed.
PlatformHandle OpenNamed(PlatformName name, NameState state, const FormatSlot* arguments) {
  SetErrorAction(kActionOpenFile, arguments);
  PlatformHandle file = kNoHandle;
  Guarded([&] {
    file = state == kNameWhole ? PlatformOpenForUpdate(name) : RefuseCutName();
    return file != kNoHandle;
  });
  return file;
}

CodePageId NamedCodePage() {
  return ByteConverter == MapCp866ToCp1251 ? kCodePage866 : kCodePage1251;
}

// Starts the counts of the open file where its record says a run of this switch stopped,
// or at its start.
void StartCounts(PlatformHandle file, FileRecord record) {
  const bool resumed = record.kind == kRecordPart;
  ConvertedFromStart = resumed ? record.converted : 0;
  ConvertedHash = resumed ? record.hash : kHashStart;
  AnyWritten = ConvertedFromStart != 0;
  uint64_t modified = 0;
  if (!PlatformFileStamp(file, &SizeAtStart, &modified)) SizeAtStart = 0;
}

// Converts the open file from where its record says, once the guard has judged the text
// still to convert. Without a handle there is no text to judge, and the conversion
// reports the failed read.
void ConvertOpenFile(PlatformHandle file, FileRecord record, const char* shown,
                     const FormatSlot* arguments) {
  StartCounts(file, record);
  const uint64_t from = ConvertedFromStart;
  if (from != 0) SayResuming(shown, from);
  if (file == kNoHandle || CodePageAgrees(file, from, arguments, SpanBuffer))
    ConvertSpans(file, from, arguments);
}

// Closes the file. A system may report only now that written data did not reach the
// disk. That is the write's failure; the handle is gone all the same, so whatever the
// answer the run ends here.
void CloseConverted(PlatformHandle file, const FormatSlot* arguments) {
  if (PlatformClose(file) || file == kNoHandle) return;
  SetErrorAction(kActionWriteFile, arguments);
  ReportSystemError();
  AllDone = false;
}

// Leaves the record of where the file stands, closes it, and says where it stopped
// when it stopped part-way. A request to end the process then ends it here, as the
// request would have; a file converted whole leaves it to the next boundary.
bool EndFile(PlatformHandle file, const char* shown, const FormatSlot* arguments, RunSoFar* run) {
  const bool whole = ReachedEnd && AllDone && !Aborted();
  FileEnd end = {ConvertedFromStart, ConvertedHash, whole, AnyWritten, Gap};
  if (file != kNoHandle) end = AsTheFileNowGoes(file, end, SpanBuffer, kSpanSize);
  const bool recorded = file == kNoHandle || LeaveRecord(file, NamedCodePage(), end);
  CloseConverted(file, arguments);
  const bool interrupted = PlatformInterrupted() && !whole;
  if (interrupted || (Aborted() && AnyWritten)) {
    SayStopped(shown, interrupted ? kOwnTextInterrupted : kOwnTextStopped, end.converted, recorded,
               *run);
  }
  if (interrupted) PlatformEndInterrupted();
  run->othersUnrecorded |= !recorded;
  return whole && AllDone;
}

// Converts the file open under name, unless this run handled it already under another
// name, or its record says it is converted already, to the code page this switch
// converts to. A file left as it is counts as whole.
bool ConvertHandle(PlatformHandle file, PlatformName name, const char* shown,
                   const FormatSlot* arguments, RunSoFar* run) {
  const bool open = file != kNoHandle;
  if (open && HandledAlready(file, name, shown, run)) return PlatformClose(file) || true;
  const FileRecord record =
      open ? RecordToFollow(file, NamedCodePage(), SpanBuffer, kSpanSize) : FileRecord{};
  if (record.kind == kRecordWhole) {
    SayConvertedAlready(shown, record.page);
    return PlatformClose(file) || true;
  }
  ConvertOpenFile(file, record, shown, arguments);
  return EndFile(file, shown, arguments, run);
}

// A request to end the process held before the file is touched: the process ends, the
// file as it is.
void EndIfInterrupted(const char* shown, RunSoFar run) {
  if (!PlatformInterrupted()) return;
  SayStopped(shown, kOwnTextInterrupted, 0, true, run);
  PlatformEndInterrupted();
}

}  // namespace

bool ConvertFileInPlace(PlatformName name, NameState state, RunSoFar* run) {
  AllDone = true;
  Gap = false;
  ReachedEnd = false;
  // The reports show the name in the console's code page, as much as an action text
  // can hold.
  char shown[kActionTextSize];
  PlatformShowName(name, shown, sizeof shown);
  EndIfInterrupted(shown, *run);
  // The action texts show the name through this list for as long as the call lasts.
  FormatSlot arguments[1];
  arguments[0].text = shown;
  const PlatformHandle file = OpenNamed(name, state, arguments);
  bool whole = false;
  // After an Abort no handle was obtained and there is nothing to close.
  if (Aborted()) EndIfInterrupted(shown, *run);
  if (!Aborted()) whole = ConvertHandle(file, name, shown, arguments, run);
  run->afterOthers = true;
  // The list ends with this call; a later report must not read it.
  SetErrorAction(ErrorContext.action, nullptr);
  return whole;
}

bool ConvertStream(PlatformHandle input, PlatformHandle output, const char* shownName) {
  // A stream closed when the program started is none to read or write: nothing is taken
  // from the other, so that no text is lost.
  if (input == kNoHandle || output == kNoHandle) {
    SayStreamClosed(input == kNoHandle);
    return false;
  }
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
  if (!PlatformInterrupted()) readSpan();
  // Nothing is written before the guard has judged what the first span holds.
  if (!PlatformInterrupted() && !Aborted() && BytesAgree(SpanBuffer, count, arguments)) {
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
      ConvertedFromStart += done;
      if (count < kSpanSize || PlatformInterrupted()) break;
      readSpan();
    }
  }
  // What went out cannot be taken back: the line says how much did.
  if (PlatformInterrupted()) {
    SayStopped(shownName, kOwnTextInterrupted, ConvertedFromStart, false, RunSoFar{});
    PlatformEndInterrupted();
  }
  const bool whole = AllDone && !Aborted();
  SetErrorAction(ErrorContext.action, nullptr);
  return whole;
}
