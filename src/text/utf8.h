// The shape of UTF-8 text, for the code that reads it byte by byte.
#pragma once

#include <stdint.h>

/// The bytes of the UTF-8 sequence that lead begins: 4 for 0xF0..0xF7, 3 for 0xE0..0xEF
/// and 0xF8 up, 2 for 0xC2..0xDF, else 1. A byte that can begin no sequence of its own
/// (a continuation byte, or 0xC0 and 0xC1, which would only spell ASCII over again)
/// counts as one byte, so that a reader steps over it alone.
constexpr uint8_t Utf8SequenceLength(uint8_t lead) {
  return lead >= 0xF0 && lead < 0xF8 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 1;
}
