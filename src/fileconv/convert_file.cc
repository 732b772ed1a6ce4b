#include "fileconv/convert_file.h"

#include <stdlib.h>

#include "errors/error_context.h"
#include "fileconv/check_line.h"
#include "fileconv/code_page_guard.h"
#include "fileconv/content_hash.h"
#include "fileconv/file_check.h"

static_assert(kSpanSize >= kGuardSampleSize, "the guard samples into the span buffer");
static_assert(kBlockSize == kHashBlockSize, "the hash takes the converter's blocks");

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
    c->gap |= answer == kAnswerIgnore;
    return answer;
  }
}

// Counts size bytes from byte done of the span at offset as converted, while they go on
// from the start, and takes the hashes of their blocks into the chain.
void Converted(Converter* c, uint64_t offset, uint32_t done, uint32_t size) {
  if (c->convertedFromStart != offset + done) return;
  for (uint32_t block = done / kBlockSize; block * kBlockSize < done + size; ++block)
    c->convertedHash = ChainHash(c->convertedHash, c->blockHashes[block]);
  c->convertedFromStart += size;
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

// Converts the blocks of a file's first count bytes in the buffer, as ConvertBlocksOf
// does, and notes the hash of each block's bytes read once converted, for the file's
// record; a stream keeps no record and takes no hash.
void ConvertFileBlocks(Converter* c, uint32_t count) {
  ConvertBlocksOf(c, count);
  HashBlocks(c->span, count, c->blockHashes);
}

// How the conversion of a span ended.
enum SpanEnd { kSpanGoesOn, kSpanLast, kSpanAborted, kSpanCut };

// Whether the file is shorter than when its conversion began: another program cut it.
bool CutShort(const Converter* c, PlatformHandle file) {
  uint64_t size = 0;
  return PlatformFileSize(file, &size) == 0 && size < c->sizeAtStart;
}

// Writes one block of the buffer, at done, back at offset + done with its own report and
// answer. A block that did not change is not written: it is converted as it stands.
void WriteBlock(Converter* c, PlatformHandle file, uint64_t offset, uint32_t done, uint32_t size) {
  AnswerCode answer = kAnswerNone;
  if (c->blockChanged[done / kBlockSize]) {
    uint32_t written = 0;  // a write that succeeds has written everything
    c->anyWritten = true;
    answer = Guarded(c, kActionWriteFile, [&] {
      return PlatformWriteAt(file, offset + done, c->span + done, size, &written);
    });
    // What a failed write moved of its block is converted, and not counted.
    c->gap |= answer == kAnswerAbort && written != 0;
  }
  // An ignored failed write leaves its block as it was.
  if (answer == kAnswerNone) Converted(c, offset, done, size);
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
// write, and moves *offset past it. A file cut short since it began is not written, and
// its size is looked at again after the last block, as a span does.
SpanEnd ConvertBlock(Converter* c, PlatformHandle file, uint64_t* offset) {
  uint32_t count = 0;
  Guarded(c, kActionReadFile,
          [&] { return PlatformReadAt(file, *offset, c->span, kBlockSize, &count); });
  if (c->aborted) return kSpanAborted;
  ConvertFileBlocks(c, count);
  if (CutShort(c, file)) return kSpanCut;
  if (!WriteBlockByBlock(c, file, *offset, 0, count)) return kSpanAborted;
  *offset += count;
  if (count == kBlockSize) return kSpanGoesOn;
  return CutShort(c, file) ? kSpanCut : kSpanLast;
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
    c->anyWritten |= c->blockChanged[first / kBlockSize];
    if (!c->blockChanged[first / kBlockSize] ||
        (PlatformWriteAt(file, offset + first, c->span + first, done - first, &written) == 0 &&
         written == done - first)) {
      Converted(c, offset, first, done - first);
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
// a file with nothing to convert keeps its blocks and its time of last change. A file cut
// short by another program since it began is not written, lest the span make it long
// again: its size is looked at before each span is written, and after the last.
SpanEnd ConvertSpan(Converter* c, PlatformHandle file, uint64_t* offset) {
  uint32_t count = 0;
  if (PlatformReadAt(file, *offset, c->span, kSpanSize, &count) != 0)
    return ConvertSpanBlockByBlock(c, file, offset);
  ConvertFileBlocks(c, count);
  if (CutShort(c, file)) return kSpanCut;
  if (!WriteChangedRuns(c, file, *offset, count)) return kSpanAborted;
  *offset += count;
  // A read shorter than the span has met the end of the file. One that ends on a block
  // boundary leaves a read of nothing to the next span, as a last block of 1024 bytes
  // leaves one to the next block. A file cut while this span was written is found short
  // by the next span, its read shorter still; after the last, here.
  const bool last = count == 0 || count % kBlockSize != 0;
  if (last && CutShort(c, file)) return kSpanCut;
  return last ? kSpanLast : kSpanGoesOn;
}

// Stops the conversion of a file that another program cut short meanwhile with a report,
// whatever its answer, as after an Abort: the file is no longer what was converted.
void ReportCut(Converter* c) {
  ClearProgress(&c->progress);
  ShowErrorReport(c->console, {kActionWriteFile, c->name, kErrorFileChanged, kCauseUnexpected,
                               kRecommendRepeatWhenMended});
  c->allDone = false;
  c->aborted = true;
}

// Converts the file span by span from offset on, until a short read or an Abort. A
// request to end the process is obeyed between spans, before the first of them too.
void ConvertSpans(Converter* c, PlatformHandle file, uint64_t offset) {
  SpanEnd end = kSpanGoesOn;
  while (end == kSpanGoesOn && !PlatformInterrupted()) {
    end = ConvertSpan(c, file, &offset);
    if (end == kSpanGoesOn) ShowProgress(&c->progress, offset);
  }
  ClearProgress(&c->progress);
  if (end == kSpanCut) ReportCut(c);
  c->reachedEnd = end == kSpanLast;
}

// Makes the counts of a file, or a stream, whose reports show shown.
void StartFile(Converter* c, const char* shown) {
  c->allDone = true;
  c->aborted = false;
  c->reachedEnd = false;
  c->gap = false;
  c->convertedFromStart = 0;
  c->convertedHash = kHashStart;
  c->anyWritten = false;
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

// Starts the counts of the open file where its record says a run of this switch stopped.
void StartCounts(Converter* c, PlatformHandle file, FileRecord record) {
  if (record.kind == kRecordPart) {
    c->convertedFromStart = record.converted;
    c->convertedHash = record.hash;
    c->anyWritten = record.converted != 0;
  }
  uint64_t modified = 0;
  if (PlatformFileStamp(file, &c->sizeAtStart, &modified) != 0) c->sizeAtStart = 0;
  c->progress = StartProgress(c->console, c->name[0].text, c->sizeAtStart, c->convertedFromStart);
}

// Converts the open file from where its record says, once the guard has judged the text
// still to convert; without a handle there is no text to judge, and the conversion
// reports the failed read.
void ConvertOpenFile(Converter* c, PlatformHandle file, FileRecord record) {
  StartCounts(c, file, record);
  const uint64_t from = c->convertedFromStart;
  if (from != 0) SayResuming(c->console, c->shown, from);
  if (file != kNoHandle &&
      !CodePageAgrees(c->console, c->direction, file, from, c->name, c->span)) {
    c->aborted = true;
    return;
  }
  ConvertSpans(c, file, from);
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

// Leaves the record of where the file stands, closes it, and says where it stopped when
// it stopped part-way. A request to end the process then ends it here, as the request
// would have; a file converted whole leaves it to the next boundary. Whether the file
// was converted whole.
bool EndFile(Converter* c, PlatformHandle file) {
  const bool whole = c->reachedEnd && c->allDone && !c->aborted;
  FileEnd end = {c->convertedFromStart, c->convertedHash, whole, c->anyWritten, c->gap};
  if (file != kNoHandle) end = AsTheFileNowGoes(file, end, c->span, kSpanSize);
  const bool recorded = file == kNoHandle || LeaveRecord(file, NamedCodePage(c->direction), end);
  CloseFile(c, file);
  const bool interrupted = PlatformInterrupted() && !whole;
  if (interrupted || (c->aborted && c->anyWritten)) {
    SayStopped(c->console, c->shown, interrupted ? kOwnTextInterrupted : kOwnTextStopped,
               end.converted, recorded, c->run);
  }
  if (interrupted) PlatformEndInterrupted();
  c->run.othersUnrecorded |= !recorded;
  return whole && c->allDone;
}

// With --to: what the file or stream, judged by check, comes to. One to convert, or
// for the guard to refuse, is converted from the other code page; one left as it is is
// said so.
Outcome AimAtPage(Converter* c, const FileCheck& check) {
  c->direction = DirectionFrom(OtherCodePage(c->target));
  // A read that fails is met again, and reported, by the conversion.
  if (check.failure != 0 || check.outcome == kOutcomeRefuses) return kOutcomeConverts;
  if (check.byPelcor && check.outcome == kOutcomeNothing) {
    SayConvertedAlready(c->console, c->shown, c->target);
  } else if (check.outcome != kOutcomeConverts) {
    SayLeft(c->console.language, c->shown, check, c->target);
  }
  return check.outcome;
}

Plan ToPagePlan(const Converter* c) {
  return {false, kAimToPage, c->direction, c->target, nullptr};
}

// With --to: chooses the direction of the open file, or leaves it as it is, said so,
// and closes it. Whether it is to be converted; where it is not, *whole receives whether
// it counts as whole.
bool AimedAtPage(Converter* c, PlatformHandle file, bool* whole) {
  c->direction = DirectionFrom(OtherCodePage(c->target));
  if (file == kNoHandle) return true;  // the conversion meets the failure
  const Outcome aimed = AimAtPage(c, CheckOpenFile(file, ToPagePlan(c), c->span));
  if (aimed == kOutcomeConverts) return true;
  PlatformClose(file);  // nothing was written
  *whole = aimed == kOutcomeNothing;
  return false;
}

// Converts the file open under name, unless the run handled it already under another
// name, or its record says it is converted already, to the code page this switch
// converts to; with --to, unless it is in the target code page or cannot be told. A
// file left as it is counts as whole, unless --to cannot tell its code page.
bool ConvertHandle(Converter* c, PlatformHandle file, PlatformName name) {
  const bool open = file != kNoHandle;
  if (open && HandledAlready(c->console, file, name, c->shown, &c->run)) {
    PlatformClose(file);  // nothing was written: a failed close loses nothing
    return true;
  }
  bool left = true;
  if (c->toPage && !AimedAtPage(c, file, &left)) return left;
  const CodePageId named = NamedCodePage(c->direction);
  const FileRecord record = open ? RecordToFollow(file, named, c->span, kSpanSize) : FileRecord{};
  if (record.kind == kRecordWhole) {
    SayConvertedAlready(c->console, c->shown, record.page);
    PlatformClose(file);  // nothing was written: a failed close loses nothing
    return true;
  }
  ConvertOpenFile(c, file, record);
  return EndFile(c, file);
}

// A request to end the process held before the file is touched: the process ends, the
// file as it is.
void EndIfInterrupted(const Converter* c) {
  if (!PlatformInterrupted()) return;
  SayStopped(c->console, c->shown, kOwnTextInterrupted, 0, true, c->run);
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
    c->convertedFromStart += done;
    if (count < kSpanSize || PlatformInterrupted()) return;
    ShowProgress(&c->progress, c->convertedFromStart);
    count = MoveSpan(c, input, kActionReadFile, kSpanSize);
  }
}

}  // namespace

bool StartConverter(Converter* converter, Direction direction, const Console& console) {
  converter->direction = direction;
  converter->console = console;
  converter->toPage = false;
  converter->target = kCodePage1251;
  converter->shown[0] = '\0';
  // Touched only as far as the file reaches: the memory used grows up to one span. The
  // table of the files handled takes memory only as far as its entries reach, zeros
  // being what a fresh allocation of its size has.
  converter->span = static_cast<uint8_t*>(malloc(kSpanSize));
  converter->run = {static_cast<SeenFiles*>(calloc(1, sizeof(SeenFiles))), false, false};
  return converter->span != nullptr && converter->run.seen != nullptr;
}

void EndConverter(Converter* converter) {
  free(converter->span);
  free(converter->run.seen);
  converter->span = nullptr;
  converter->run.seen = nullptr;
}

bool ConvertFileInPlace(Converter* c, PlatformName name, NameState state) {
  PlatformShowName(name, c->shown, sizeof c->shown);
  StartFile(c, c->shown);
  EndIfInterrupted(c);
  const PlatformHandle file = OpenFile(c, name, state);
  bool whole = false;
  // After an Abort no handle was obtained and there is nothing to close.
  if (c->aborted) EndIfInterrupted(c);
  if (!c->aborted) whole = ConvertHandle(c, file, name);
  c->run.afterOthers = true;
  return whole;
}

void EndRunIfInterrupted(const Converter* c) {
  if (!PlatformInterrupted()) return;
  SayInterruptedAtEnd(c->console, c->shown);
  PlatformEndInterrupted();
}

bool ConvertStream(Converter* c, PlatformHandle input, PlatformHandle output,
                   const char* shownName) {
  // A stream closed when the program started is none to read or write: nothing is taken
  // from the other, so that no text is lost.
  if (input == kNoHandle || output == kNoHandle) {
    SayStreamClosed(c->console, input == kNoHandle);
    return false;
  }
  StartFile(c, shownName);
  const uint32_t count = PlatformInterrupted() ? 0 : MoveSpan(c, input, kActionReadFile, kSpanSize);
  // Nothing is written before the guard has judged what the first span holds.
  if (c->aborted) return false;
  // Bytes taken from the stream are gone from it: once read, the span goes out, as it is
  // where --to leaves the stream.
  const bool reading = !PlatformInterrupted() || count != 0;
  const Outcome aimed = c->toPage && reading
                            ? AimAtPage(c, CheckBytes(c->span, count, ToPagePlan(c)))
                            : kOutcomeConverts;
  if (reading) {
    if (aimed == kOutcomeConverts && !BytesAgree(c->console, c->direction, c->span, count, c->name))
      return false;
    c->progress = StartProgress(c->console, shownName, 0, 0);
    ConvertStreamSpans(c, input, output, count, aimed == kOutcomeConverts);
    ClearProgress(&c->progress);
  }
  // What went out cannot be taken back: the line says how much did.
  if (PlatformInterrupted()) {
    SayStopped(c->console, shownName, kOwnTextInterrupted, c->convertedFromStart, false, c->run);
    PlatformEndInterrupted();
  }
  return c->allDone && !c->aborted && aimed != kOutcomeCannotTell;
}
