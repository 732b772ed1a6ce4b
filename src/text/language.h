// The language of the program's texts, chosen once from the user's settings, and the
// texts written in both.
#pragma once

#include <stdint.h>

/// The language every text of a run is shown in.
enum Language : uint8_t { kRussian = 0, kEnglish = 1 };

/// A text in both languages: Russian (code page 866) and English.
struct TextPair {
  const char* russian;
  const char* english;
};

/// The text in the language given.
inline const char* Pick(Language language, const TextPair& text) {
  return language == kRussian ? text.russian : text.english;
}
