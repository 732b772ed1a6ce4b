// The layout filter and its two formatting operations on arbitrary text, size, delimiter
// and options: no read outside the text, no write past the destination's size, and a
// terminated result inside it.
#include <string.h>

#include "fuzz_input.h"
#include "support/layout/layout_filter.h"

namespace {

void CheckTerminated(const char* destination, uint16_t size) {
  if (size > 0) Require(memchr(destination, 0, size) != nullptr);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput input{data, size};
  const uint16_t destinationSize = input.Word();
  const char delimiter = static_cast<char>(input.Byte());
  const uint16_t outerOptions = input.Word();
  const uint16_t middleOptions = input.Word();
  const uint8_t setsChoice = input.Byte();
  const std::string text = input.Text();
  const auto copy = ExactCopy(text);
  std::unique_ptr<char[]> destination(new char[destinationSize]);

  LayoutPhrase(copy.get(), destination.get(), destinationSize, outerOptions);
  CheckTerminated(destination.get(), destinationSize);

  LayoutEnclosed(copy.get(), destination.get(), destinationSize, delimiter, middleOptions,
                 outerOptions);
  CheckTerminated(destination.get(), destinationSize);

  // The filter alone on the text without its terminator, counted by its length.
  if (!text.empty() && text.size() <= UINT16_MAX) {
    std::unique_ptr<char[]> bare(new char[text.size()]);
    text.copy(bare.get(), text.size());
    const LayoutSets& sets = (setsChoice & 1) ? EnclosedSets : PhraseSets;
    const uint16_t written = LayoutFilter(bare.get(), static_cast<uint16_t>(text.size()),
                                          destination.get(), destinationSize, sets, outerOptions);
    Require(written <= destinationSize);
  }
  return 0;
}
