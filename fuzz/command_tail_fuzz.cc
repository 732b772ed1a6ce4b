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
  ExtractCommandTail(commandLine.get(), tail.get());
  Require(strlen(tail.get()) <= kTailLimit);
  StrTrimChar(tail.get(), ' ');
  const size_t before = strlen(tail.get());
  TakeFileName(tail.get());
  Require(strlen(tail.get()) <= before);
  Require(ByteConverter == MapCp866ToCp1251 || ByteConverter == MapCp1251ToCp866);
  return 0;
}
