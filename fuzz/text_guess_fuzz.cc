// The guess of a text's code page on arbitrary bytes: it never reads past them, and the
// verdict, and whether more text could change it, do not depend on how the bytes are cut
// into pieces.
#include "codepage/text_guess.h"
#include "fuzz_input.h"

#include <string.h>

#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // A copy of exactly the input's size, so that a read past it is caught.
  const auto bytes = std::make_unique<uint8_t[]>(size);
  if (size > 0) memcpy(bytes.get(), data, size);
  const uint32_t count = static_cast<uint32_t>(size);
  const uint32_t cut = count > 0 ? bytes[0] % (count + 1) : 0;

  TextTally whole;
  StartTextTally(&whole);
  TallyText(&whole, bytes.get(), count);
  TextTally pieces;
  StartTextTally(&pieces);
  TallyText(&pieces, bytes.get(), cut);
  TallyText(&pieces, bytes.get() + cut, count - cut);
  for (CodePageId named : {kCodePage866, kCodePage1251}) {
    const TextVerdict verdict = JudgeText(&whole, named);
    Require(verdict == JudgeText(&pieces, named));
    Require(verdict <= kTextInLatin);  // the last verdict there is
    Require(TextMayYetDecide(&whole) == TextMayYetDecide(&pieces));
  }
  return 0;
}
