// The three alignments on arbitrary text, width and fill, into their own buffer or the
// source's, checked against the same layout built with std::string.
#include <string.h>

#include "fuzz_input.h"
#include "support/alignment.h"

namespace {

std::string Expected(uint8_t which, const std::string& src, uint16_t width, char fill) {
  if (src.size() >= width) return src.substr(0, width);
  const size_t excess = width - src.size();
  if (which == 0) return std::string(excess, fill) + src;
  if (which == 1) return src + std::string(excess, fill);
  return std::string(excess / 2, fill) + src + std::string(excess - excess / 2, fill);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput input{data, size};
  const uint8_t mode = input.Byte();
  const uint16_t width = input.Word();
  const char fill = static_cast<char>(input.Byte());
  const std::string src = input.Text();
  const uint8_t which = mode % 3;
  typedef char* (*Align)(const char*, char*, uint16_t, char);
  const Align align[3] = {StrAlignRight, StrAlignLeft, StrAlignCentre};

  // Centring may not work in place; the other two are also tried on their own source.
  const bool inPlace = (mode & 0x80) != 0 && which != 2;
  const size_t bytes = (inPlace && src.size() > width ? src.size() : width) + 1u;
  std::unique_ptr<char[]> buffer(new char[bytes]);
  const auto source = ExactCopy(src);
  if (inPlace) memcpy(buffer.get(), source.get(), src.size() + 1);
  const char* from = inPlace ? buffer.get() : source.get();
  Require(align[which](from, buffer.get(), width, fill) == buffer.get());
  Require(buffer[width] == 0);
  Require(memcmp(buffer.get(), Expected(which, src, width, fill).data(), width) == 0);
  return 0;
}
