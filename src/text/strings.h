// String primitives on terminated byte strings: a run of bytes ended by a zero byte, in a
// buffer that the caller owns. Nothing here allocates; StrCompare orders bytes as signed
// values (CompareSignedBytes).
#pragma once

#include <stdint.h>

/// The number of units before the terminator (bytes, or the 16-bit units of a wide
/// string), counted no further than limit: limit when none of the first limit units is
/// the terminator, and no unit past them is read. StrLength and every bounded length of
/// the library come from this one scan.
template <typename Unit>
uint32_t StrLengthMax(const Unit* s, uint32_t limit) {
  uint32_t n = 0;
  while (n < limit && s[n] != 0)
    ++n;
  return n;
}

/// Number of units before the terminator.
template <typename Unit>
uint32_t StrLength(const Unit* s) {
  return StrLengthMax(s, UINT32_MAX);
}

/// Copies src with its terminator, byte by byte from the first byte, so a later part of a
/// buffer may be copied onto its own start. Returns dst.
char* StrCopy(char* dst, const char* src);

/// Copies the first min(length of src, limit) bytes of src and a terminator. Returns dst.
/// dst needs limit + 1 bytes.
char* StrCopyMax(char* dst, const char* src, uint16_t limit);

/// First occurrence of pattern in s, or nullptr. A failed partial match resumes after the
/// byte that broke it, not one byte after the attempt's start: "//866" does not contain
/// "/866", "x/866" does. An empty pattern is found at the start.
char* StrFind(char* s, const char* pattern);

/// The first match of pattern, by StrFind's search, that begins a word: it starts s or
/// follows a space. nullptr when there is none.
char* StrFindWordStart(char* s, const char* pattern);

/// Remove the run of bytes equal to c at the start (moving the rest down), at the end,
/// or at both ends. Each returns s.
char* StrTrimLeftChar(char* s, char c);
char* StrTrimRightChar(char* s, char c);
char* StrTrimChar(char* s, char c);

/// Whether c is a blank that separates words of a command line: a space or a tab.
inline bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

/// Orders two bytes as signed 8-bit values, -1, 0 or 1: every byte from 0x80 comes before
/// 0x00..0x7F. StrCompare and the character services' plain order both use it.
inline int32_t CompareSignedBytes(uint8_t first, uint8_t second) {
  const int8_t a = static_cast<int8_t>(first);
  const int8_t b = static_cast<int8_t>(second);
  return a < b ? -1 : a > b ? 1 : 0;
}

/// Orders a against b byte by byte as signed values, b's terminator counting as 0: 1 if
/// a's byte is the greater, -1 if the smaller. When a ends first the result is 0 if b ends
/// there too, else -1 whatever b's next byte is.
int16_t StrCompare(const char* a, const char* b);

/// First byte of s that differs from c: the terminator when s is all c. For c = 0 it is
/// s itself, so that the scan never passes the terminator.
const char* StrSkipChar(const char* s, char c);

/// 1 if any byte of s lies from 1 to 31, else 0.
int StrHasControl(const char* s);

/// Removes the last byte of s if it equals c (one byte at most). Returns s.
char* StrStripLastChar(char* s, char c);

/// Remove leading, trailing, or both leading and trailing bytes whose unsigned value is
/// at most limit. With limit 32 that is spaces and control bytes; bytes from 0x80 stay.
char* StrTrimLeftBelow(char* s, uint8_t limit);
char* StrTrimRightBelow(char* s, uint8_t limit);
char* StrTrimBelow(char* s, uint8_t limit);
