#include "errors/prompt.h"

namespace {

// The keys of each answer, as Unicode characters: Latin capital and small, then the
// Cyrillic capital and small letter that the Russian prompt names; and those two letters
// as bytes of code page 866 and of 1251, as a script saved in either gives them.
struct AnswerKeys {
  uint32_t keys[4];
  uint8_t scriptBytes[4];
  AnswerCode answer;
};
const AnswerKeys kAnswerKeys[3] = {
    {{'I', 'i', 0x0418, 0x0438}, {0x88, 0xA8, 0xC8, 0xE8}, kAnswerIgnore},  // И и
    {{'R', 'r', 0x041F, 0x043F}, {0x8F, 0xAF, 0xCF, 0xEF}, kAnswerRepeat},  // П п
    {{'A', 'a', 0x041E, 0x043E}, {0x8E, 0xAE, 0xCE, 0xEE}, kAnswerAbort},   // О о
};

// The answer of the key's character, or else of its byte from a script.
AnswerCode AnswerOfKey(PlatformKey key) {
  for (const AnswerKeys& row : kAnswerKeys) {
    for (uint32_t accepted : row.keys) {
      if (key.character == accepted) return row.answer;
    }
  }
  for (const AnswerKeys& row : kAnswerKeys) {
    for (uint8_t accepted : row.scriptBytes) {
      if (key.scriptByte == accepted) return row.answer;
    }
  }
  return kAnswerNone;
}

}  // namespace

AnswerCode AskOperator(PlatformHandle keys) {
  AnswerCode answer = kAnswerNone;
  while (answer == kAnswerNone) {
    // Keys typed before the question, or rejected, never answer it.
    PlatformDiscardKeys(keys);
    const PlatformKey key = PlatformNextKey(keys);
    // Without a console to answer from, the work stops rather than waiting for ever.
    answer = key.character == kNoMoreKeys ? kAnswerAbort : AnswerOfKey(key);
  }
  return answer;
}
