// The byte maps as published tables, written out independently of the code under test:
// what every converted byte must become.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <array>

// Each row moves a range of bytes onto a range starting at `to`; every other byte stays.
struct MovedRange {
  uint8_t first;
  uint8_t last;
  uint8_t to;
};

inline constexpr MovedRange kRows866To1251[] = {
    {0x80, 0xAF, 0xC0},  // capital A to Ya, small a to p
    {0xE0, 0xEF, 0xF0},  // small r to ya
    {0xF0, 0xF0, 0xA8},  // capital Yo
    {0xF1, 0xF1, 0xB8},  // small yo
    {0xFC, 0xFC, 0xB9},  // numero sign
};

// 0xA9 is where earlier versions put the numero sign; it comes back as the sign.
inline constexpr MovedRange kRows1251To866[] = {
    {0xC0, 0xEF, 0x80}, {0xF0, 0xFF, 0xE0}, {0xA8, 0xA8, 0xF0},
    {0xB8, 0xB8, 0xF1}, {0xB9, 0xB9, 0xFC}, {0xA9, 0xA9, 0xFC},
};

template <size_t N>
std::array<uint8_t, 256> TableFrom(const MovedRange (&rows)[N]) {
  std::array<uint8_t, 256> table;
  for (int b = 0; b < 256; ++b)
    table[b] = static_cast<uint8_t>(b);
  for (const MovedRange& row : rows) {
    for (int b = row.first; b <= row.last; ++b)
      table[b] = static_cast<uint8_t>(row.to + (b - row.first));
  }
  return table;
}

inline const std::array<uint8_t, 256> kExpected866To1251 = TableFrom(kRows866To1251);
inline const std::array<uint8_t, 256> kExpected1251To866 = TableFrom(kRows1251To866);
