// Where the Cyrillic letters, Yo, yo and the numero sign lie in code page 866 and where
// the byte maps put them in code page 1251. The maps, their vector kernels and the
// cp866 texts of the program all take the layout from here.
#pragma once

#include <stdint.h>

/// The letters other than Yo and yo lie in two runs in the order of the alphabet:
/// А..п, then р..я.
inline constexpr uint8_t kFirstLetterCount = 48;
inline constexpr uint8_t kLastLetterCount = 16;

/// The first byte of each run and the places of the three single characters.
struct CyrillicLayout {
  uint8_t firstLetters;  // А
  uint8_t lastLetters;   // р
  uint8_t capitalYo;     // Ё
  uint8_t smallYo;       // ё
  uint8_t numero;        // №
};

inline constexpr CyrillicLayout kCp866Layout = {0x80, 0xE0, 0xF0, 0xF1, 0xFC};
/// The numero sign goes to 0xA9, the tool's own choice; code page 1251 has it at 0xB9.
inline constexpr CyrillicLayout kCp1251Layout = {0xC0, 0xF0, 0xA8, 0xB8, 0xA9};
