// UTF-8 text in the single-byte charsets, through iconv(3): the tests and the benchmarks of
// the code page guess make their texts with it.
#pragma once

#include <iconv.h>

#include <string>
#include <utility>

/// utf8 in charset. A character the charset lacks is left out; *whole, where given, says
/// whether none was.
inline std::string Recode(const std::string& utf8, const char* charset, bool* whole = nullptr) {
  const iconv_t cd = iconv_open(charset, "UTF-8");
  std::string out(utf8.size(), 0);
  char* in = const_cast<char*>(utf8.data());
  size_t inLeft = utf8.size();
  char* at = out.data();
  size_t outLeft = out.size();
  bool none = true;
  while (inLeft > 0 && iconv(cd, &in, &inLeft, &at, &outLeft) == static_cast<size_t>(-1)) {
    none = false;
    ++in;  // a character the charset lacks
    --inLeft;
  }
  iconv_close(cd);
  out.resize(out.size() - outLeft);
  if (whole != nullptr) *whole = none;
  return out;
}

/// Code page 866 lacks І і Ґ ґ: DOS text wrote I i Г г for them. Nor has it the letters of
/// Serbian and Macedonian, which converted text has as their nearest letters.
inline std::string DosStandIns(std::string utf8) {
  constexpr std::pair<const char*, const char*> kStandIns[] = {
      {"і", "i"}, {"І", "I"}, {"ґ", "г"}, {"Ґ", "Г"}, {"ђ", "д"}, {"Ђ", "Д"},
      {"ј", "j"}, {"Ј", "J"}, {"љ", "л"}, {"Љ", "Л"}, {"њ", "н"}, {"Њ", "Н"},
      {"ћ", "ч"}, {"Ћ", "Ч"}, {"џ", "д"}, {"Џ", "Д"}, {"ѓ", "г"}, {"Ѓ", "Г"},
      {"ќ", "к"}, {"Ќ", "К"}, {"ѕ", "s"}, {"Ѕ", "S"}};
  for (const auto& [letter, standIn] : kStandIns) {
    for (size_t at = utf8.find(letter); at != std::string::npos; at = utf8.find(letter, at))
      utf8.replace(at, 2, standIn);
  }
  return utf8;
}
