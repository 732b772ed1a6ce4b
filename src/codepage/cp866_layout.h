// Where the Cyrillic letters, Yo, yo and the numero sign lie in code page 866 and in code
// page 1251. The byte maps and the cp866 texts of the program take the layout from here.
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

/// The place of a Russian letter (А..я, Ё, ё) or of № in the code page of the layout, or 0
/// for any other character.
constexpr uint8_t LetterPlace(uint32_t c, const CyrillicLayout& page) {
  // Unicode has А..п from U+0410 and р..я from U+0440.
  if (c >= 0x410 && c < 0x410 + kFirstLetterCount) return page.firstLetters + (c - 0x410);
  if (c >= 0x440 && c < 0x440 + kLastLetterCount) return page.lastLetters + (c - 0x440);
  if (c == 0x401) return page.capitalYo;  // Ё
  if (c == 0x451) return page.smallYo;    // ё
  if (c == 0x2116) return page.numero;    // №
  return 0;
}
