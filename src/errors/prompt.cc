#include "errors/prompt.h"

namespace {

// The keys of each answer, as Unicode characters: Latin capital and small, then the
// Cyrillic capital and small letter that the Russian prompt names.
struct AnswerKeys {
  uint32_t keys[4];
  AnswerCode answer;
};
const AnswerKeys kAnswerKeys[3] = {
    {{'I', 'i', 0x0418, 0x0438}, kAnswerIgnore},  // И и
    {{'R', 'r', 0x041F, 0x043F}, kAnswerRepeat},  // П п
    {{'A', 'a', 0x041E, 0x043E}, kAnswerAbort},   // О о
};

AnswerCode AnswerOfKey(uint32_t key) {
  for (const AnswerKeys& row : kAnswerKeys) {
    for (uint32_t accepted : row.keys) {
      if (key == accepted) return row.answer;
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
    const uint32_t key = PlatformNextKey(keys);
    // Without a console to answer from, the work stops rather than waiting for ever.
    answer = key == kNoMoreKeys ? kAnswerAbort : AnswerOfKey(key);
  }
  return answer;
}
