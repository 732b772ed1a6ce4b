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

namespace {

bool StartsWith(const char* s, const char* prefix) {
  for (; *prefix != 0; ++s, ++prefix) {
    if (*s != *prefix) return false;
  }
  return true;
}

// The position of the first word of the tail at or after from that stands whole after a
// space, or the tail's length when there is none.
uint32_t FindWholeWord(const char* tail, const char* word, uint32_t from) {
  const uint32_t length = StrLength(tail), size = StrLength(word);
  for (uint32_t at = from > 0 ? from : 1; at + size <= length; ++at) {
    const char after = tail[at + size];
    if (tail[at - 1] == ' ' && (after == 0 || after == ' ') && StartsWith(tail + at, word))
      return at;
  }
  return length;
}

// Counts the whole words in the tail that equal word; *first receives the position of the
// first, or the tail's length.
uint8_t CountWholeWords(const char* tail, const char* word, uint32_t* first) {
  const uint32_t length = StrLength(tail);
  uint8_t count = 0;
  *first = FindWholeWord(tail, word, 0);
  for (uint32_t at = *first; at < length && count < 255; at = FindWholeWord(tail, word, at + 1))
    ++count;
  return count;
}

// Notes the words of the tail other than the switch, and ends the name before them.
void TakeWords(const char* tail, TailSwitch* parsed) {
  uint32_t check = 0, to866 = 0, to1251 = 0;
  parsed->check = CountWholeWords(tail, "/check", &check) > 0;
  parsed->toPages = CountWholeWords(tail, "/to866", &to866);
  parsed->toPages += CountWholeWords(tail, "/to1251", &to1251);
  parsed->target = to866 < to1251 ? kCodePage866 : kCodePage1251;
  const uint32_t length = StrLength(tail);
  const uint32_t words[] = {check, to866, to1251};
  for (const uint32_t word : words) {
    if (word < length && word - 1 < parsed->name.end) parsed->name.end = word - 1;
  }
}

}  // namespace

TailSwitch ParseSwitch(const char* tail) {
  // The search only reads the tail.
  const char* found = StrFindWordStart(const_cast<char*>(tail), "/866");
  const Direction direction = found != nullptr ? kFrom866 : kFrom1251;
  if (found == nullptr) found = StrFindWordStart(const_cast<char*>(tail), "/1251");
  // The name ends at the byte before the switch. A switch at the very first byte has no
  // byte before it; the tail then names a file called /866 or /1251.
  const uint32_t length = StrLength(tail);
  TailSwitch parsed = {{0, length}, direction, false, false, 0, kCodePage1251};
  if (found != nullptr && found != tail) {
    parsed.name.end = static_cast<uint32_t>(found - tail) - 1;
    parsed.switched = true;
  }
  TakeWords(tail, &parsed);
  return parsed;
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
  TailSwitch taken = parsed;
  taken.name = name;
  return taken;
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
