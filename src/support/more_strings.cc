#include "support/more_strings.h"

#include "text/strings.h"

namespace {

// Finds the terminator among the first kStrScanLimit bytes; false when there is none.
bool BoundedLength(const char* s, uint32_t* length) {
  *length = StrLengthMax(s, kStrScanLimit);
  return *length < kStrScanLimit;
}

bool IsWordByte(char c) {
  return static_cast<unsigned char>(c) > 32;
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

}  // namespace

char* StrAppend(char* dst, const char* src) {
  uint32_t length;
  if (BoundedLength(dst, &length)) StrCopy(dst + length, src);
  return dst;
}

char* StrAppendMax(char* dst, const char* src, uint16_t n) {
  uint32_t length;
  if (BoundedLength(dst, &length)) StrCopyMax(dst + length, src, n);
  return dst;
}

char* StrCopyWord(char* dst, const char* src) {
  uint32_t n = 0;
  for (; IsWordByte(src[n]); ++n)
    dst[n] = src[n];
  dst[n] = 0;
  return dst;
}

uint32_t StrWordLength(const char* s) {
  uint32_t n = 0;
  while (IsWordByte(s[n]))
    ++n;
  return n;
}

const char* StrFindChar(const char* s, char c) {
  if (c == 0) return nullptr;
  for (uint32_t n = 0; n < kStrScanLimit && s[n] != 0; ++n) {
    if (s[n] == c) return s + n;
  }
  return nullptr;
}

const char* StrSkipCharBackward(const char* s, char c) {
  uint32_t n;
  if (!BoundedLength(s, &n)) return nullptr;
  while (n > 0) {
    if (s[--n] != c) return s + n;
  }
  return nullptr;
}

const char* StrFindLastChar(const char* s, char c) {
  uint32_t n;
  if (c == 0 || !BoundedLength(s, &n)) return nullptr;
  while (n > 0) {
    if (s[--n] == c) return s + n;
  }
  return nullptr;
}

char* StrCollapseChar(char* s, char c) {
  if (c == 0) return s;
  const char* read = s;
  char* write = s;
  for (;;) {
    const char byte = *read++;
    *write++ = byte;
    if (byte == 0) break;
    if (byte == c) {
      while (*read == c)
        ++read;
    }
  }
  return s;
}

char* StrKeepDigits(char* s) {
  char* write = s;
  for (const char* read = s; *read != 0; ++read) {
    if (IsDigit(*read)) *write++ = *read;
  }
  *write = 0;
  return s;
}

int32_t StrToInt(const char* s) {
  s = StrSkipChar(s, ' ');
  bool negative = false;
  // Any number of plus signs; one minus sign ends the sign loop.
  for (;;) {
    if (*s == '+') {
      negative = false;
      s = StrSkipChar(s + 1, ' ');
    } else if (*s == '-') {
      negative = true;
      s = StrSkipChar(s + 1, ' ');
      break;
    } else {
      break;
    }
  }
  uint32_t value = 0;
  for (; IsDigit(*s); ++s)
    value = value * 10u + static_cast<uint32_t>(*s - '0');
  return static_cast<int32_t>(negative ? 0u - value : value);
}
