// The form a word takes after a number: Russian has three (1 байт, 2 байта, 5 байт),
// English two (1 byte, 5 bytes).
#pragma once

#include <stdint.h>

/// The forms, in the order the tables of counted words keep them. English uses the first
/// and the last.
enum CountForm : uint8_t { kCountOne = 0, kCountFew = 1, kCountMany = 2 };
inline constexpr int16_t kCountForms = 3;

/// The form of a word counted count times, in Russian or in English.
CountForm CountFormOf(uint64_t count, bool russian);
