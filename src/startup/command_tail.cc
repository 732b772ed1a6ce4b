#include "startup/command_tail.h"

#include <stddef.h>

#include "text/strings.h"

bool ExtractCommandTail(const char* commandLine, char* destination, uint32_t* start) {
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
  if (start != nullptr) *start = static_cast<uint32_t>(p - commandLine);
  StrCopyMax(destination, p, kTailLimit);
  // Blanks past the limit are trimmed anyway; anything else would be lost.
  return *StrSkipChar(p + StrLength(destination), ' ') == 0;
}

TailSwitch ParseSwitch(const char* tail) {
  // The search only reads the tail.
  const char* found = StrFindWordStart(const_cast<char*>(tail), "/866");
  const Direction direction = found != nullptr ? kFrom866 : kFrom1251;
  if (found == nullptr) found = StrFindWordStart(const_cast<char*>(tail), "/1251");
  // The name ends at the byte before the switch. A switch at the very first byte has no
  // byte before it; the tail then names a file called /866 or /1251.
  const uint32_t length = StrLength(tail);
  if (found == nullptr || found == tail) return {{0, length}, direction};
  return {{0, static_cast<uint32_t>(found - tail) - 1}, direction};
}

TailSwitch TakeFileName(const char* tail) {
  const TailSwitch parsed = ParseSwitch(tail);
  TailRange name = parsed.name;
  while (name.end > name.begin && tail[name.end - 1] == ' ')
    --name.end;
  // Windows names hold no double quote, so enclosing ones are the shell's or the user's
  // way of keeping a name with spaces together.
  if (name.end - name.begin >= 2 && tail[name.begin] == '"' && tail[name.end - 1] == '"') {
    ++name.begin;
    --name.end;
  }
  return {name, parsed.direction};
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
  if (begin == end) return kTailNoName;
  char word[16];
  if (end - begin >= static_cast<ptrdiff_t>(sizeof word)) return kTailFile;
  StrCopyMax(word, begin, static_cast<uint16_t>(end - begin));
  if (StrCompare(word, "/?") == 0 || StrCompare(word, "-h") == 0 ||
      StrCompare(word, "--help") == 0) {
    return kTailHelp;
  }
  return StrCompare(word, "--version") == 0 ? kTailVersion : kTailFile;
}
