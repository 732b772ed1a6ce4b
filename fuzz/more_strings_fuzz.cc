// The further string operations on arbitrary text in exact-size buffers, each checked
// for the property that its contract promises.
#include <string.h>

#include "fuzz_input.h"
#include "support/more_strings.h"
#include "text/strings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput input{data, size};
  const char c = static_cast<char>(input.Byte());
  const uint16_t n = input.Byte();
  const std::string text = input.Text();
  const size_t length = text.size();

  auto copy = ExactCopy(text);
  StrCollapseChar(copy.get(), c);
  Require(c == 0 || strstr(copy.get(), std::string(2, c).c_str()) == nullptr);
  StrKeepDigits(copy.get());
  Require(strspn(copy.get(), "0123456789") == strlen(copy.get()));

  const auto source = ExactCopy(text);
  const char* found = StrFindChar(source.get(), c);
  const char* last = StrFindLastChar(source.get(), c);
  Require((found == nullptr) == (last == nullptr) && (found == nullptr || found <= last));
  const char* skipped = StrSkipChar(source.get(), c);
  Require(skipped >= source.get() && skipped <= source.get() + length);
  const char* back = StrSkipCharBackward(source.get(), c);
  Require(back == nullptr || (*back != c && back < source.get() + length));

  // The destination holds what it had, then at most n bytes of the source, then a
  // terminator: not one byte more.
  const size_t appended = n < length ? n : length;
  std::unique_ptr<char[]> destination(new char[2 + appended + 1]);
  memcpy(destination.get(), "ab", 3);
  StrAppendMax(destination.get(), source.get(), n);
  Require(strlen(destination.get()) == 2 + appended);
  std::unique_ptr<char[]> word(new char[StrWordLength(source.get()) + 1]);
  StrCopyWord(word.get(), source.get());
  return 0;
}
