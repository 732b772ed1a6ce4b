#include "support/more_char_services.h"

#include "codepage/char_services.h"

const uint8_t Cp866Vowels[10] = {0x80, 0x85, 0xF0, 0x88, 0x89, 0x8E, 0x93, 0x9D, 0x9E, 0x9F};

int32_t Cp1251IsCyrLetter(uint8_t c) {
  return c >= 0xC0 || c == 0xA8 || c == 0xB8 ? kCharTrue : kCharFalse;
}

uint8_t CharToUpper(uint32_t c) {
  return CharServices.toUpper(static_cast<uint8_t>(c));
}
uint8_t CharToLower(uint32_t c) {
  return CharServices.toLower(static_cast<uint8_t>(c));
}
int32_t CharIsLetter(uint32_t c) {
  return CharServices.isLetter(static_cast<uint8_t>(c));
}
int32_t CharIsUpper(uint32_t c) {
  return CharServices.isUpper(static_cast<uint8_t>(c));
}
int32_t CharIsLower(uint32_t c) {
  return CharServices.isLower(static_cast<uint8_t>(c));
}
int32_t CharIsVowel(uint32_t c) {
  return CharServices.isVowel(static_cast<uint8_t>(c));
}
