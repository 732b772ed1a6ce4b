// Texts written in the source as UTF-8 and stored as code page 866 bytes, converted by
// the compiler: Cp866Literal(u8"Файл") is the terminated cp866 text of that word.
// A character that code page 866 has not got stops the build.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "codepage/cp866_layout.h"
#include "text/utf8.h"

template <size_t N>
struct Cp866Literal {
  char bytes[N] = {};

  consteval Cp866Literal(const char8_t (&utf8)[N]) {
    size_t out = 0;
    for (size_t i = 0; i + 1 < N;) {
      uint32_t c = utf8[i];
      const size_t length = Utf8SequenceLength(utf8[i]);
      if (length > 1) c &= 0x3Fu >> (length - 1);
      for (size_t k = 1; k < length; ++k)
        c = (c << 6) | (utf8[i + k] & 0x3Fu);
      bytes[out++] = static_cast<char>(ToCp866(c));
      i += length;
    }
  }

  // Only the characters the program's texts use; anything else is not a constant
  // expression and so fails to compile.
  static consteval uint8_t ToCp866(uint32_t c) {
    if (c < 0x80) return static_cast<uint8_t>(c);
    if (const uint8_t place = LetterPlace(c, kCp866Layout)) return place;
    return NotInCodePage866(c);
  }
  static uint8_t NotInCodePage866(uint32_t c) { return static_cast<uint8_t>(c); }

  constexpr operator const char*() const { return bytes; }
};

/// A Russian text written in UTF-8 and kept as code page 866 bytes for the whole run:
/// Ru<u8"Файл">.
template <Cp866Literal text>
constexpr const char* Ru = text;
