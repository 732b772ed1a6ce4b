// Further character services of the support library: the code page 866 vowels, the
// Cyrillic letter test of code page 1251, and single characters through the table in
// force. The program itself calls the table's slots directly.
#pragma once

#include <stdint.h>

/// Upper-case vowels of code page 866, in the order of Cp1251Vowels.
extern const uint8_t Cp866Vowels[10];

/// Cyrillic letters only: 0xC0..0xFF, Yo and yo.
int32_t Cp1251IsCyrLetter(uint8_t c);

// Single characters through the table; each takes the low byte of its argument.
uint8_t CharToUpper(uint32_t c);
uint8_t CharToLower(uint32_t c);
int32_t CharIsLetter(uint32_t c);
int32_t CharIsUpper(uint32_t c);
int32_t CharIsLower(uint32_t c);
int32_t CharIsVowel(uint32_t c);
