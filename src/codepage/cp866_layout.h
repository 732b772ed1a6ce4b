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
  uint8_t formerNumero;  // where earlier versions of the tool put №; the same as numero
                         // where they put it right
};

inline constexpr CyrillicLayout kCp866Layout = {0x80, 0xE0, 0xF0, 0xF1, 0xFC, 0xFC};
/// Earlier versions of the tool wrote the numero sign as 0xA9 ("©"); it still reads as №.
inline constexpr CyrillicLayout kCp1251Layout = {0xC0, 0xF0, 0xA8, 0xB8, 0xB9, 0xA9};
