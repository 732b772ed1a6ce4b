// The command line as the start-up handles it: the tail, its trim, the switch and the
// file name.
#include <string.h>

#include "fuzz_input.h"
#include "startup/command_tail.h"
#include "text/strings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput input{data, size};
  const auto commandLine = ExactCopy(input.Text());
  std::unique_ptr<char[]> tail(new char[kTailLimit + 1]);
  uint32_t start = 0;
  ExtractCommandTail(commandLine.get(), tail.get(), &start);
  Require(strlen(tail.get()) <= kTailLimit);
  Require(strncmp(commandLine.get() + start, tail.get(), strlen(tail.get())) == 0);
  StrTrimRightChar(tail.get(), ' ');
  const TailSwitch parsed = TakeFileName(tail.get());
  Require(parsed.name.begin <= parsed.name.end && parsed.name.end <= strlen(tail.get()));
  Require(parsed.direction == kFrom866 || parsed.direction == kFrom1251);
  return 0;
}
