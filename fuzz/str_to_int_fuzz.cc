// Decimal text to a number on arbitrary text, and back: the number's own decimal text
// gives the number again.
#include "fuzz_input.h"
#include "support/more_strings.h"
#include "text/formatter.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput input{data, size};
  const auto text = ExactCopy(input.Text());
  const int32_t value = StrToInt(text.get());
  char digits[12];
  IntToText(static_cast<uint32_t>(value), 10, 1, digits);
  Require(StrToInt(digits) == value);
  return 0;
}
