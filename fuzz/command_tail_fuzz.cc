// The command line as the start-up handles it: the tail, its trim, the switch and the
// file name.
#include <string.h>

#include "codepage/byte_maps.h"
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
  const TailRange name = TakeFileName(tail.get());
  Require(name.begin <= name.end && name.end <= strlen(tail.get()));
  Require(ByteConverter == MapCp866ToCp1251 || ByteConverter == MapCp1251ToCp866);
  return 0;
}
