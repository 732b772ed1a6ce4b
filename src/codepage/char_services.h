// Character services of the current code page: case mapping, letter and vowel tests
// and character order, through one process-wide table that every caller indexes by slot.
#pragma once

#include <stdint.h>

/// Truth values of the character tests: all bits set for true, 0 for false.
inline constexpr int32_t kCharTrue = -1;
inline constexpr int32_t kCharFalse = 0;

typedef uint8_t (*CharMapFn)(uint8_t c);
typedef int32_t (*CharCompareFn)(uint8_t first, uint8_t second);  // <0, 0, >0
typedef int32_t (*CharTestFn)(uint8_t c);

/// The seven slots, in the table's order.
struct CharServicesTable {
  CharMapFn toUpper;           // slot 0
  CharMapFn toLower;           // slot 1
  CharCompareFn compareChars;  // slot 2
  CharTestFn isLetter;         // slot 3
  CharTestFn isUpper;          // slot 4
  CharTestFn isLower;          // slot 5
  CharTestFn isVowel;          // slot 6
};

/// The table in force: the code page 1251 set, from before the first instruction on.
extern const CharServicesTable CharServices;

/// Upper-case vowels of the code page 1251 set and of the Latin letters.
extern const uint8_t Cp1251Vowels[10];
extern const uint8_t LatinVowels[5];

// The code page 1251 set.
uint8_t Cp1251ToUpper(uint8_t c);
uint8_t Cp1251ToLower(uint8_t c);
/// The code page 866 lower case of the Latin and Russian letters, Ё included; any other
/// byte as it is.
uint8_t Cp866ToLower(uint8_t c);
/// Orders two bytes as signed 8-bit values: every byte from 0x80 comes before 0x00..0x7F.
int32_t PlainCompareChars(uint8_t first, uint8_t second);
int32_t Cp1251IsLetter(uint8_t c);
int32_t Cp1251IsUpper(uint8_t c);
int32_t Cp1251IsLower(uint8_t c);
/// Upper-cases c through slot 0 and looks it up in Cp1251Vowels, then in LatinVowels.
int32_t Cp1251IsVowel(uint8_t c);
/// Upper-cases c through slot 0 and looks it up in LatinVowels. Y is no vowel.
int32_t LatinIsVowel(uint8_t c);
