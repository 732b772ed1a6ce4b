#include "codepage/char_services.h"

#include "text/strings.h"

namespace {

constexpr int32_t Truth(bool value) {
  return value ? kCharTrue : kCharFalse;
}
constexpr bool InRange(uint8_t c, uint8_t low, uint8_t high) {
  return c >= low && c <= high;
}

bool InList(uint8_t c, const uint8_t* list, int count) {
  for (int i = 0; i < count; ++i) {
    if (list[i] == c) return true;
  }
  return false;
}

}  // namespace

const uint8_t Cp1251Vowels[10] = {0xC0, 0xC5, 0xA8, 0xC8, 0xC9, 0xCE, 0xD3, 0xDD, 0xDE, 0xDF};
const uint8_t LatinVowels[5] = {'A', 'E', 'I', 'O', 'U'};

uint8_t Cp1251ToUpper(uint8_t c) {
  if (InRange(c, 'a', 'z') || c >= 0xE0) return static_cast<uint8_t>(c - 0x20);
  if (c == 0xB8) return 0xA8;
  return c;
}

uint8_t Cp1251ToLower(uint8_t c) {
  if (InRange(c, 'A', 'Z') || InRange(c, 0xC0, 0xDF)) return static_cast<uint8_t>(c + 0x20);
  if (c == 0xA8) return 0xB8;
  return c;
}

uint8_t Cp866ToLower(uint8_t c) {
  if (InRange(c, 'A', 'Z') || InRange(c, 0x80, 0x8F)) return static_cast<uint8_t>(c + 0x20);
  if (InRange(c, 0x90, 0x9F)) return static_cast<uint8_t>(c + 0x50);
  return c == 0xF0 ? 0xF1 : c;
}

int32_t PlainCompareChars(uint8_t first, uint8_t second) {
  return CompareSignedBytes(first, second);
}

int32_t Cp1251IsLetter(uint8_t c) {
  return Truth(InRange(c, 'A', 'Z') || InRange(c, 'a', 'z') || c >= 0xC0 || c == 0xA8 || c == 0xB8);
}

int32_t Cp1251IsUpper(uint8_t c) {
  return Truth(InRange(c, 'A', 'Z') || InRange(c, 0xC0, 0xDF) || c == 0xA8);
}

int32_t Cp1251IsLower(uint8_t c) {
  return Truth(InRange(c, 'a', 'z') || c >= 0xE0 || c == 0xB8);
}

int32_t LatinIsVowel(uint8_t c) {
  return Truth(InList(CharServices.toUpper(c), LatinVowels, 5));
}

int32_t Cp1251IsVowel(uint8_t c) {
  const uint8_t upper = CharServices.toUpper(c);
  if (InList(upper, Cp1251Vowels, 10)) return kCharTrue;
  return LatinIsVowel(upper);
}

const CharServicesTable CharServices = {
    Cp1251ToUpper, Cp1251ToLower, PlainCompareChars, Cp1251IsLetter,
    Cp1251IsUpper, Cp1251IsLower, Cp1251IsVowel,
};
