#include "fileconv/resume_record.h"

#include "codepage/byte_maps.h"
#include "text/formatter.h"

namespace {

// A record is text: the switch, the bytes converted, the file's size and its time, each
// after a blank, for example "/866 5120 81920 1765267200123456789".
constexpr uint32_t kRecordSize = 80;

const char* Switch() {
  return ByteConverter == MapCp866ToCp1251 ? "/866" : "/1251";
}

uint32_t FormatRecord(char* out, uint64_t converted, uint64_t size, uint64_t modified) {
  char* at = out;
  for (const char* s = Switch(); *s != 0; ++s)
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

}  // namespace

uint64_t RecordedOffset(PlatformHandle file) {
  char record[kRecordSize];
  uint32_t length = 0;
  if (!PlatformReadNote(file, record, sizeof record, &length)) return 0;
  const char* at = record;
  const char* end = record + length;
  const char* expected = Switch();
  while (*expected != 0 && at < end && *at == *expected) {
    ++at;
    ++expected;
  }
  uint64_t converted = 0, size = 0, modified = 0, sizeNow = 0, modifiedNow = 0;
  if (*expected != 0 || !TakeNumber(&at, end, &converted) || !TakeNumber(&at, end, &size) ||
      !TakeNumber(&at, end, &modified) || at != end || converted > size)
    return 0;
  // Any other change since, by any program, makes the record worthless.
  if (!PlatformFileStamp(file, &sizeNow, &modifiedNow) || sizeNow != size ||
      modifiedNow != modified)
    return 0;
  return converted;
}

bool RecordInterruption(PlatformHandle file, uint64_t converted) {
  // Where the record is part of the file (a stream), writing it may count as a change of
  // the file: the stamp is taken again after each write, and the record written again
  // until it holds the stamp the file keeps.
  for (int attempt = 0; attempt < 3; ++attempt) {
    uint64_t size = 0, modified = 0, sizeAfter = 0, modifiedAfter = 0;
    char record[kRecordSize];
    if (!PlatformFileStamp(file, &size, &modified) ||
        !PlatformWriteNote(file, record, FormatRecord(record, converted, size, modified)))
      break;
    if (PlatformFileStamp(file, &sizeAfter, &modifiedAfter) && sizeAfter == size &&
        modifiedAfter == modified)
      return true;
  }
  PlatformRemoveNote(file);
  return false;
}
