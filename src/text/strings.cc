#include "text/strings.h"

char* StrCopy(char* dst, const char* src) {
  uint32_t i = 0;
  do {
    dst[i] = src[i];
  } while (src[i++] != 0);
  return dst;
}

char* StrCopyMax(char* dst, const char* src, uint16_t limit) {
  // The scan stops at the limit, so a source of any length is cut exactly there.
  uint16_t n = 0;
  while (n < limit && src[n] != 0) {
    dst[n] = src[n];
    ++n;
  }
  dst[n] = 0;
  return dst;
}

char* StrFind(char* s, const char* pattern) {
  char* start = s;
  for (;;) {
    char* p = start;
    const char* q = pattern;
    while (*q != 0 && *p == *q) {
      ++p;
      ++q;
    }
    if (*q == 0) return start;
    if (*p == 0) return nullptr;
    // Resume after the string byte that broke the match.
    start = p + 1;
  }
}

char* StrFindWordStart(char* s, const char* pattern) {
  for (char* from = s;;) {
    char* found = StrFind(from, pattern);
    if (found == nullptr || found == s || found[-1] == ' ') return found;
    from = found + 1;
  }
}

namespace {

// The trims share these two scans; each public trim only names the bytes it removes.
// The left scan stops at the terminator, so a test that holds for 0 removes nothing.
template <typename Test>
char* TrimLeft(char* s, Test removes) {
  uint32_t skip = 0;
  while (s[skip] != 0 && removes(static_cast<uint8_t>(s[skip])))
    ++skip;
  if (skip != 0) StrCopy(s, s + skip);
  return s;
}

template <typename Test>
char* TrimRight(char* s, Test removes) {
  uint32_t n = StrLength(s);
  while (n > 0 && removes(static_cast<uint8_t>(s[n - 1])))
    --n;
  s[n] = 0;
  return s;
}

}  // namespace

char* StrTrimLeftChar(char* s, char c) {
  return TrimLeft(s, [c](uint8_t b) { return b == static_cast<uint8_t>(c); });
}

char* StrTrimRightChar(char* s, char c) {
  return TrimRight(s, [c](uint8_t b) { return b == static_cast<uint8_t>(c); });
}

char* StrTrimChar(char* s, char c) {
  StrTrimRightChar(s, c);
  return StrTrimLeftChar(s, c);
}

int16_t StrCompare(const char* a, const char* b) {
  for (;; ++a, ++b) {
    if (*a == 0) return *b == 0 ? 0 : -1;
    // b's terminator takes part as 0, after every byte from 0x80.
    const int32_t order = CompareSignedBytes(*a, *b);
    if (order != 0) return static_cast<int16_t>(order);
  }
}

const char* StrSkipChar(const char* s, char c) {
  if (c == 0) return s;
  while (*s == c)
    ++s;
  return s;
}

int StrHasControl(const char* s) {
  for (; *s != 0; ++s) {
    if (static_cast<unsigned char>(*s) < 32) return 1;
  }
  return 0;
}

char* StrStripLastChar(char* s, char c) {
  uint32_t n = StrLength(s);
  if (n > 0 && s[n - 1] == c) s[n - 1] = 0;
  return s;
}

char* StrTrimLeftBelow(char* s, uint8_t limit) {
  return TrimLeft(s, [limit](uint8_t b) { return b <= limit; });
}

char* StrTrimRightBelow(char* s, uint8_t limit) {
  return TrimRight(s, [limit](uint8_t b) { return b <= limit; });
}

char* StrTrimBelow(char* s, uint8_t limit) {
  StrTrimLeftBelow(s, limit);
  return StrTrimRightBelow(s, limit);
}
