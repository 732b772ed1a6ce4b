#include "fileconv/resume_record.h"

#include "text/formatter.h"

namespace {

// A record is text: the switch, the bytes converted, the file's size and its time, each
// after a blank, for example "/866 5120 81920 1765267200123456789".
constexpr uint32_t kRecordSize = 80;

// The switch that names the direction.
const char* Switch(Direction direction) {
  return direction == kFrom866 ? "/866" : "/1251";
}

uint32_t FormatRecord(char* out, Direction direction, uint64_t converted, uint64_t size,
                      uint64_t modified) {
  char* at = out;
  for (const char* s = Switch(direction); *s != 0; ++s)
    *at++ = *s;
  const uint64_t values[] = {converted, size, modified};
  for (const uint64_t value : values) {
    *at++ = ' ';
    at = CountToText(value, at);
  }
  return static_cast<uint32_t>(at - out);
}

// Takes a blank and the decimal number after it from [*at, end).
bool TakeNumber(const char** at, const char* end, uint64_t* value) {
  const char* p = *at;
  if (p == end || *p++ != ' ' || p == end || *p < '0' || *p > '9') return false;
  *value = 0;
  for (; p < end && *p >= '0' && *p <= '9'; ++p) {
    if (*value > (UINT64_MAX - 9) / 10) return false;
    *value = *value * 10 + static_cast<uint64_t>(*p - '0');
  }
  *at = p;
  return true;
}

// Takes the switch from [*at, end).
bool TakeSwitch(const char** at, const char* end, Direction direction) {
  const char* expected = Switch(direction);
  const char* p = *at;
  while (*expected != 0 && p < end && *p == *expected) {
    ++p;
    ++expected;
  }
  *at = p;
  return *expected == 0;
}

// The record of the note: the bytes converted, the file's size and its time.
struct Record {
  uint64_t converted, size, modified;
};

// Reads the record of the direction from the file's note.
bool ReadRecord(Direction direction, PlatformHandle file, Record* record) {
  char note[kRecordSize];
  uint32_t length = 0;
  if (PlatformReadNote(file, note, sizeof note, &length) != 0) return false;
  const char* at = note;
  const char* end = note + length;
  return TakeSwitch(&at, end, direction) && TakeNumber(&at, end, &record->converted) &&
         TakeNumber(&at, end, &record->size) && TakeNumber(&at, end, &record->modified) &&
         at == end && record->converted <= record->size;
}

}  // namespace

uint64_t RecordedOffset(Direction direction, PlatformHandle file) {
  Record record;
  uint64_t sizeNow = 0, modifiedNow = 0;
  if (!ReadRecord(direction, file, &record)) return 0;
  // Any other change since, by any program, makes the record worthless.
  if (PlatformFileStamp(file, &sizeNow, &modifiedNow) != 0 || sizeNow != record.size ||
      modifiedNow != record.modified)
    return 0;
  return record.converted;
}

bool RecordInterruption(Direction direction, PlatformHandle file, uint64_t converted) {
  // Where the record is part of the file (a stream), writing it may count as a change of
  // the file: the stamp is taken again after each write, and the record written again
  // until it holds the stamp the file keeps.
  for (int attempt = 0; attempt < 3; ++attempt) {
    uint64_t size = 0, modified = 0, sizeAfter = 0, modifiedAfter = 0;
    char record[kRecordSize];
    if (PlatformFileStamp(file, &size, &modified) != 0 ||
        PlatformWriteNote(file, record,
                          FormatRecord(record, direction, converted, size, modified)) != 0)
      break;
    if (PlatformFileStamp(file, &sizeAfter, &modifiedAfter) == 0 && sizeAfter == size &&
        modifiedAfter == modified)
      return true;
  }
  PlatformRemoveNote(file);
  return false;
}
