#include "fileconv/convert_file.h"

#include "codepage/byte_maps.h"
#include "errors/error_context.h"
#include "errors/report_texts.h"
#include "fileconv/code_page_guard.h"
#include "fileconv/file_primitives.h"
#include "text/strings.h"

namespace {

// The one block buffer, reused for every block.
uint8_t BlockBuffer[kBlockSize];

// Whether every guarded call of the run succeeded at last. A failure answered Ignore
// leaves part of the file unconverted although the run goes on.
bool AllDone;

// The bytes from the start of the file that are converted: every block up to here was
// written whole.
uint64_t ConvertedFromStart;

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
}

bool Aborted() {
  return ErrorContext.answer == kAnswerAbort;
}

// Each block is read and written at its own offset, which goes with every attempt of
// the transfer: no attempt depends on where an earlier one, failed or not, left the file
// position, so no block can ever land anywhere but where it was read.
bool ReadBlockAt(PlatformHandle file, uint64_t offset, uint32_t* count) {
  return ReadFileBlock(file, offset, BlockBuffer, kBlockSize, count);
}

bool WriteBlockAt(PlatformHandle file, uint64_t offset, uint32_t count) {
  return WriteFileBlock(file, offset, BlockBuffer, count);
}

// Reads, converts and writes back every block, until a short read or an Abort.
void ConvertBlocks(PlatformHandle file, const FormatSlot* arguments) {
  uint64_t offset = 0;
  uint32_t count = kBlockSize;
  // A read shorter than a block is the last; it is still converted and written.
  while (count == kBlockSize) {
    SetErrorAction(kActionReadFile, arguments);
    Guarded([&] { return ReadBlockAt(file, offset, &count); });
    if (Aborted()) return;

    // The whole buffer is converted, whatever the count; only count bytes go back.
    ConvertBuffer(BlockBuffer, kBlockSize);

    SetErrorAction(kActionWriteFile, arguments);
    Guarded([&] { return WriteBlockAt(file, offset, count); });
    if (Aborted()) return;

    // An ignored failed write leaves its block as it was.
    if (ErrorContext.answer != kAnswerIgnore && ConvertedFromStart == offset) {
      ConvertedFromStart += count;
    }
    offset += count;  // also after an ignored failed write
    // A request to end the process waits for the block in hand, and is obeyed here.
    if (PlatformInterrupted()) return;
  }
}

// Says on standard error how far the conversion got, in the report's language.
void SayHowFarInterrupted() {
  char digits[24];
  char* p = digits + sizeof digits - 1;
  *p = 0;
  uint64_t value = ConvertedFromStart;
  do {
    *--p = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  FormatSlot count[1];
  count[0].text = p;
  char line[128];
  FormatMessageTextMax(line, sizeof line, OwnText(kOwnTextInterrupted), count);
  PlatformWriteErrorLine(line);
}

// The open of a name whose end is missing: it fails as the system fails a name too
// long for it, and touches nothing.
PlatformHandle RefuseCutName() {
  PlatformSetLastError(kErrorNameTooLong);
  return kNoHandle;
}

}  // namespace

bool ConvertFileInPlace(const char* name, NameState state) {
  AllDone = true;
  // The name comes in the ANSI code page and the reports go to the console: they show a
  // copy in the console's code page, as long as an action text can hold.
  char shown[kActionTextSize];
  StrCopyMax(shown, name, sizeof shown - 1);
  PlatformToConsoleCodePage(shown, shown);
  // The action texts show the name through this list for as long as the call lasts.
  FormatSlot arguments[1];
  arguments[0].text = shown;

  SetErrorAction(kActionOpenFile, arguments);
  PlatformHandle file = kNoHandle;
  Guarded([&] {
    file = state == kNameWhole ? OpenFileForUpdate(name) : RefuseCutName();
    return file != kNoHandle;
  });
  // After an Abort no handle was obtained and there is nothing to close.
  if (!Aborted()) {
    // Nothing is written before the guard has judged the text; without a handle there is
    // no text to judge, and the conversion reports the failed read.
    ConvertedFromStart = 0;
    if (file == kNoHandle || CodePageAgrees(file, arguments)) {
      PlatformBeginInterruptible();
      ConvertBlocks(file, arguments);
    }
    // A system may report only now that written data did not reach the disk. That is
    // the write's failure; the handle is gone all the same, so whatever the answer the
    // run ends here.
    if (!CloseFile(file) && file != kNoHandle) {
      SetErrorAction(kActionWriteFile, arguments);
      ReportSystemError();
      AllDone = false;
    }
    // Interrupted: the file is closed with the blocks written so far; the process ends
    // as the request would have ended it.
    if (PlatformInterrupted()) {
      SayHowFarInterrupted();
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
