#include "fileconv/file_record.h"

#include "fileconv/content_hash.h"
#include "text/formatter.h"

namespace {

constexpr uint32_t kRecordSize = 112;

// The words that say what the record is, by kind and code page.
const char* const kWhat[2][2] = {{"whole 866", "whole 1251"}, {"part /866", "part /1251"}};
constexpr char kVersion[] = "v1 ";

char* Put(char* at, const char* text) {
  while (*text != 0)
    *at++ = *text++;
  return at;
}

char* PutHex(char* at, uint64_t value) {
  for (int shift = 60; shift >= 0; shift -= 4)
    *at++ = "0123456789abcdef"[(value >> shift) & 0xF];
  return at;
}

uint32_t FormatRecord(char* out, FileRecord record, uint64_t size, uint64_t modified) {
  char* at = Put(Put(out, kVersion), kWhat[record.kind == kRecordPart][record.page]);
  const uint64_t values[] = {record.converted, size, modified};
  for (const uint64_t value : values) {
    *at++ = ' ';
    at = CountToText(value, at);
  }
  *at++ = ' ';
  return static_cast<uint32_t>(PutHex(at, record.hash) - out);
}

// Takes text from [*at, end) when it comes next.
bool Take(const char** at, const char* end, const char* text) {
  const char* p = *at;
  for (; *text != 0; ++p, ++text) {
    if (p == end || *p != *text) return false;
  }
  *at = p;
  return true;
}

// Takes a blank and the number after it, in decimal (radix 10) or hexadecimal (16).
bool TakeNumber(const char** at, const char* end, uint32_t radix, uint64_t* value) {
  const char* p = *at;
  if (p == end || *p++ != ' ') return false;
  const char* digits = "0123456789abcdef";
  *value = 0;
  for (; p < end; ++p) {
    uint32_t digit = 0;
    while (digit < radix && digits[digit] != *p)
      ++digit;
    if (digit == radix) break;
    if (*value > (UINT64_MAX - digit) / radix) return false;
    *value = *value * radix + digit;
  }
  if (p == *at + 1) return false;
  *at = p;
  return true;
}

// Takes the words that say what the record is.
bool TakeWhat(const char** at, const char* end, FileRecord* record) {
  for (uint8_t part = 0; part < 2; ++part) {
    for (uint8_t page = 0; page < 2; ++page) {
      if (!Take(at, end, kWhat[part][page])) continue;
      record->kind = part != 0 ? kRecordPart : kRecordWhole;
      record->page = static_cast<CodePageId>(page);
      return true;
    }
  }
  return false;
}

// The record the text holds, with the size and time it was written with; kRecordNone
// where the text is no record of this version.
FileRecord ParseRecord(const char* at, const char* end, uint64_t* size, uint64_t* modified) {
  FileRecord record = {};
  if (!Take(&at, end, kVersion) || !TakeWhat(&at, end, &record) ||
      !TakeNumber(&at, end, 10, &record.converted) || !TakeNumber(&at, end, 10, size) ||
      !TakeNumber(&at, end, 10, modified) || !TakeNumber(&at, end, 16, &record.hash) || at != end ||
      record.converted > *size || (record.kind == kRecordWhole && record.converted != *size))
    return {};
  return record;
}

}  // namespace

FileRecord ReadRecord(PlatformHandle file) {
  char text[kRecordSize];
  uint32_t length = 0;
  if (PlatformReadNote(file, text, sizeof text, &length) != 0) return {};
  uint64_t size = 0, modified = 0, sizeNow = 0, modifiedNow = 0;
  const FileRecord record = ParseRecord(text, text + length, &size, &modified);
  // Any other change since, by any program, makes the record worthless.
  if (record.kind == kRecordNone || PlatformFileStamp(file, &sizeNow, &modifiedNow) != 0 ||
      sizeNow != size || modifiedNow != modified)
    return {};
  return record;
}

bool HashFileStart(PlatformHandle file, uint64_t count, uint8_t* buffer, uint32_t size,
                   uint64_t* hash) {
  *hash = kHashStart;
  for (uint64_t offset = 0; offset < count;) {
    const uint32_t asked = count - offset < size ? static_cast<uint32_t>(count - offset) : size;
    uint32_t read = 0;
    if (PlatformReadAt(file, offset, buffer, asked, &read) != 0 || read != asked) return false;
    *hash = ChainBytes(*hash, buffer, read);
    offset += read;
  }
  return true;
}

bool RecordHolds(PlatformHandle file, FileRecord record, uint8_t* buffer, uint32_t size) {
  uint64_t hash = 0;
  return HashFileStart(file, record.converted, buffer, size, &hash) && hash == record.hash;
}

bool WriteRecord(PlatformHandle file, FileRecord record) {
  // Where the note is part of the file (a stream), writing it may count as a change of
  // the file: the stamp is taken again after each write, and the record written again
  // until it holds the stamp the file keeps.
  for (int attempt = 0; attempt < 3; ++attempt) {
    uint64_t size = 0, modified = 0, sizeAfter = 0, modifiedAfter = 0;
    char text[kRecordSize];
    if (PlatformFileStamp(file, &size, &modified) != 0 ||
        PlatformWriteNote(file, text, FormatRecord(text, record, size, modified)) != 0)
      break;
    if (PlatformFileStamp(file, &sizeAfter, &modifiedAfter) == 0 && sizeAfter == size &&
        modifiedAfter == modified)
      return true;
  }
  PlatformRemoveNote(file);
  return false;
}
