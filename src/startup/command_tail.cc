#include "startup/command_tail.h"

#include <stddef.h>

#include "codepage/byte_maps.h"
#include "platform/platform.h"
#include "text/strings.h"

bool ExtractCommandTail(const char* commandLine, char* destination) {
  const char* p = commandLine;
  if (*p == '"') {
    // Skip the quoted program name with its closing quote, looking no further than the
    // end of the text or kQuoteScanLimit bytes.
    ++p;
    uint32_t scanned = 0;
    while (*p != 0 && scanned < kQuoteScanLimit) {
      ++scanned;
      if (*p++ == '"') break;
    }
  }
  // The program name ends at the first blank, as Windows reads it: an unquoted path
  // ("tools\Pelcor.exe", "C:\tools\Pelcor2.exe") is skipped whole.
  while (*p != 0 && !IsBlank(*p))
    ++p;
  while (IsBlank(*p))
    ++p;
  StrCopyMax(destination, p, kTailLimit);
  // Blanks past the limit are trimmed anyway; anything else would be lost.
  return *StrSkipChar(p + StrLength(destination), ' ') == 0;
}

bool GetCommandTail(char* destination) {
  return ExtractCommandTail(PlatformCommandLine(), destination);
}

void ParseSwitch(char* tail) {
  char* found = StrFindWordStart(tail, "/866");
  if (found != nullptr) {
    ByteConverter = MapCp866ToCp1251;
  } else {
    found = StrFindWordStart(tail, "/1251");
    ByteConverter = MapCp1251ToCp866;
  }
  // A switch at the very first byte has no byte before it to cut; the tail then names a
  // file called /866 or /1251.
  if (found != nullptr && found != tail) found[-1] = 0;
}

void TakeFileName(char* tail) {
  ParseSwitch(tail);
  StrTrimRightChar(tail, ' ');
  // Windows names hold no double quote, so enclosing ones are the shell's or the user's
  // way of keeping a name with spaces together.
  const uint32_t length = StrLength(tail);
  if (length >= 2 && tail[0] == '"' && tail[length - 1] == '"') {
    tail[length - 1] = 0;
    StrCopy(tail, tail + 1);
  }
}

TailRequest RequestOfTail(const char* tail) {
  // Double quotes that enclose the tail, and spaces inside them, keep a name whole; they
  // never make a request word a name, nor spaces alone.
  const char* begin = tail;
  const char* end = tail + StrLength(tail);
  if (end - begin >= 2 && *begin == '"' && end[-1] == '"') {
    ++begin;
    --end;
  }
  while (begin < end && *begin == ' ')
    ++begin;
  while (end > begin && end[-1] == ' ')
    --end;
  if (begin == end) return kTailHelp;
  char word[16];
  if (end - begin >= static_cast<ptrdiff_t>(sizeof word)) return kTailFile;
  StrCopyMax(word, begin, static_cast<uint16_t>(end - begin));
  if (StrCompare(word, "/?") == 0 || StrCompare(word, "-h") == 0 ||
      StrCompare(word, "--help") == 0) {
    return kTailHelp;
  }
  return StrCompare(word, "--version") == 0 ? kTailVersion : kTailFile;
}
