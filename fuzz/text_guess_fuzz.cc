// The guess of a text's encoding on arbitrary bytes: tallied whole and in pieces of any
// size, it gives the same counts and verdicts, and a refusal only on Russian letters.
#include <string.h>

#include "codepage/text_guess.h"
#include "fuzz_input.h"

namespace {

bool SameReading(const PageReading& a, const PageReading& b) {
  return a.letters == b.letters && a.words == b.words && a.signs == b.signs &&
         a.foreign == b.foreign && a.cost == b.cost && a.previous == b.previous &&
         memcmp(a.letterCounts, b.letterCounts, sizeof a.letterCounts) == 0;
}

bool SameTally(const TextTally& a, const TextTally& b) {
  return a.bytes == b.bytes && a.controls == b.controls && a.nul == b.nul &&
         a.utf8Broken == b.utf8Broken && a.utf8Cyrillic == b.utf8Cyrillic &&
         SameReading(a.pages[0], b.pages[0]) && SameReading(a.pages[1], b.pages[1]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput input{data, size};
  const uint32_t piece = input.Byte() + 1u;
  TextTally whole, pieces;
  StartTextTally(&whole);
  StartTextTally(&pieces);
  TallyText(&whole, input.data, static_cast<uint32_t>(input.size));
  for (size_t at = 0; at < input.size; at += piece) {
    const size_t left = input.size - at;
    TallyText(&pieces, input.data + at, static_cast<uint32_t>(left < piece ? left : piece));
  }
  Require(SameTally(whole, pieces));
  for (CodePageId named : {kCodePage866, kCodePage1251}) {
    const TextVerdict verdict = JudgeText(&whole, named);
    Require(verdict == JudgeText(&pieces, named));
    const CodePageId other = named == kCodePage866 ? kCodePage1251 : kCodePage866;
    if (verdict == kTextInOtherPage) Require(whole.pages[other].letters >= 40);
    if (verdict == kTextInUtf8) Require(whole.utf8Cyrillic >= 2 && !whole.utf8Broken);
  }
  return 0;
}
