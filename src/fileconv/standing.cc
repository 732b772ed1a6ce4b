#include "fileconv/standing.h"

#include "errors/report_texts.h"
#include "text/formatter.h"

namespace {

// Says one of Pelcor's own lines on standard error, in the console's language, its %s
// filled from texts in turn.
void Say(const Console& console, int16_t text, const char* first, const char* second = "",
         const char* third = "") {
  FormatSlot slots[3];
  slots[0].text = first;
  slots[1].text = second;
  slots[2].text = third;
  char line[2 * kActionTextSize + 192];
  FormatMessageTextMax(line, sizeof line, OwnText(console.language, text), slots);
  PlatformWriteErrorLine(line);
}

// The line for a recorded file: what finishes it.
int16_t FinishingLine(int16_t word, RunSoFar run) {
  if (run.othersUnrecorded) return kOwnTextStoppedAfterUnrecorded;
  if (word == kOwnTextInterrupted && run.afterOthers) return kOwnTextInterruptedAmongOthers;
  return kOwnTextStoppedRecorded;
}

// The record of how the conversion left the file: whole, in the code page it converts to;
// or part-way, by its switch.
bool RecordAsLeft(PlatformHandle file, CodePageId named, FileEnd end) {
  const FileRecord record = {end.whole ? kRecordWhole : kRecordPart,
                             end.whole ? OtherCodePage(named) : named, end.converted, end.hash};
  return WriteRecord(file, record);
}

}  // namespace

bool HandledAlready(const Console& console, PlatformHandle file, PlatformName name,
                    const char* shown, RunSoFar* run) {
  PlatformFileId id;
  if (run->seen == nullptr || PlatformFileIdentity(file, &id) != 0) return false;
  const PlatformName* before = SeenBefore(run->seen, id);
  if (before == nullptr) {
    NoteSeen(run->seen, id, name);
    return false;
  }
  char shownBefore[kActionTextSize];
  PlatformShowName(*before, shownBefore, sizeof shownBefore);
  Say(console, kOwnTextSameFile, shown, shownBefore);
  return true;
}

FileRecord RecordToFollow(PlatformHandle file, CodePageId named, uint8_t* buffer, uint32_t size) {
  const FileRecord record = ReadRecord(file);
  const bool decides = (record.kind == kRecordWhole && record.page != named) ||
                       (record.kind == kRecordPart && record.page == named);
  if (!decides || !RecordHolds(file, record, buffer, size)) return {};
  return record;
}

void SayConvertedAlready(const Console& console, const char* shown, CodePageId page) {
  Say(console, kOwnTextConvertedAlready, shown, CodePageNumber(page), CodePageNumber(page));
}

FileEnd AsTheFileNowGoes(PlatformHandle file, FileEnd end, uint8_t* buffer, uint32_t size) {
  uint64_t length = 0, modified = 0;
  if (PlatformFileStamp(file, &length, &modified) != 0 || length >= end.converted) return end;
  end.converted = length;
  // Bytes that cannot be read again cannot be vouched for.
  end.gap |= !HashFileStart(file, length, buffer, size, &end.hash);
  return end;
}

bool LeaveRecord(PlatformHandle file, CodePageId named, FileEnd end) {
  // Unchanged, the file is as it was, and so is any record it keeps.
  if (!end.changed) return true;
  // Otherwise a record of an earlier run no longer holds: it goes where none replaces it.
  const bool recorded = !end.gap && RecordAsLeft(file, named, end);
  if (!recorded) PlatformRemoveNote(file);
  return recorded;
}

void SayResuming(const Console& console, const char* shown, uint64_t from) {
  char digits[21];
  CountToText(from, digits);
  Say(console, kOwnTextResuming, shown, digits);
}

void SayStopped(const Console& console, const char* shown, int16_t word, uint64_t converted,
                bool recorded, RunSoFar run) {
  // The count in words that agree with it: 1 byte, 5 bytes.
  char digits[21];
  CountToText(converted, digits);
  FormatSlot slot[1];
  slot[0].text = digits;
  char count[96];
  FormatMessageTextMax(count, sizeof count, ConvertedCountText(console.language, converted), slot);
  Say(console, recorded ? FinishingLine(word, run) : kOwnTextNotResumable, shown,
      OwnText(console.language, word), count);
}

void SayInterruptedAtEnd(const Console& console, const char* shown) {
  Say(console, kOwnTextInterruptedAtEnd, shown, OwnText(console.language, kOwnTextInterrupted));
}

void SayStreamClosed(const Console& console, bool input) {
  Say(console, input ? kOwnTextInputClosed : kOwnTextOutputClosed, "");
}
