// Further operations on terminated byte strings: appending, words, order, searching,
// run handling and decimal numbers. Nothing here allocates or reports an error.
//
// Strings handled here hold at most 65534 bytes. The operations that must find the end
// of a string before they can start (the two appends and the two backward searches) scan
// at most 65535 bytes for its terminator; a string without one among them is out of their
// range and is left as it is: the appends change nothing and the searches find nothing.
// StrFindChar likewise looks at no more than the first 65535 bytes.
#pragma once

#include <stdint.h>

/// The most bytes that a bounded scan examines while looking for the terminator.
inline constexpr uint32_t kStrScanLimit = 65535;

/// Copies src with its terminator over the terminator of dst. Returns dst.
char* StrAppend(char* dst, const char* src);

/// Appends min(length of src, n) bytes of src to dst, then a terminator. Returns dst.
char* StrAppendMax(char* dst, const char* src, uint16_t n);

/// Copies the leading bytes of src whose value is above 32 (bytes from 0x80 count) and a
/// terminator; the first byte of value 32 or less is not copied. Returns dst.
char* StrCopyWord(char* dst, const char* src);

/// The number of leading bytes of s whose value is above 32.
uint32_t StrWordLength(const char* s);

/// First occurrence of c before the terminator, or nullptr (always for c = 0).
const char* StrFindChar(const char* s, char c);

/// Scanning from the last byte toward the start, the first byte that differs from c;
/// nullptr when s is empty or consists of c alone.
const char* StrSkipCharBackward(const char* s, char c);

/// Last occurrence of c before the terminator, or nullptr (always for c = 0).
const char* StrFindLastChar(const char* s, char c);

/// Reduces every run of bytes equal to c to one c, in place. c = 0 leaves s as it is.
/// Returns s.
char* StrCollapseChar(char* s, char c);

/// Removes, in place, every byte that is not an ASCII digit. Returns s.
char* StrKeepDigits(char* s);

/// The decimal number at the start of s: spaces (0x20 only) are skipped, then any number
/// of plus signs, each followed by spaces, then at most one minus sign and its spaces,
/// then the digits. No digits gives 0. The value is kept modulo 2^32 and negated in two's
/// complement after a minus sign; the first non-digit ends the number.
int32_t StrToInt(const char* s);
