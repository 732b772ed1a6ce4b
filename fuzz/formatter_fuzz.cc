// The message formatter on arbitrary formats: every "%s" slot holds a valid text, the
// unbounded expansion stays within its worst case, and the bounded one is its prefix.
#include <string.h>

#include <vector>

#include "fuzz_input.h"
#include "text/formatter.h"

namespace {

// One slot per conversion, in order: the text for "%s", the number for the others.
std::vector<FormatSlot> Slots(const std::string& format, const char* text, uint32_t number) {
  std::vector<FormatSlot> slots;
  for (size_t i = 0; i + 1 < format.size(); ++i) {
    if (format[i] != '%') continue;
    const char conversion = format[++i];
    if (conversion != 's' && conversion != 'c' && conversion != 'd' && conversion != 'u') break;
    FormatSlot slot;
    if (conversion == 's') {
      slot.text = text;
    } else {
      slot.value = number;
    }
    slots.push_back(slot);
    number = number * 2654435761u + 1;
  }
  slots.push_back(FormatSlot{0});
  return slots;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput input{data, size};
  const uint16_t capacity = input.Byte();
  const uint8_t textLength = input.Byte();
  const uint32_t number = input.Word() | static_cast<uint32_t>(input.Word()) << 16;
  const std::string rest = input.Text();
  const std::string text = rest.substr(0, textLength);
  const std::string format = rest.substr(text.size());
  const auto formatCopy = ExactCopy(format);
  const auto textCopy = ExactCopy(text);
  const std::vector<FormatSlot> slots = Slots(format, textCopy.get(), number);

  // A conversion writes at most the text or eleven characters of a number.
  const size_t perSlot = text.size() > 11 ? text.size() : 11;
  const size_t worst = format.size() + slots.size() * perSlot + 1;
  std::unique_ptr<char[]> full(new char[worst]);
  std::unique_ptr<char[]> counted(new char[worst]);
  FormatMessageText(full.get(), formatCopy.get(), slots.data());
  // "%c" may write a zero byte, so the length comes from the counting variant.
  const size_t length = FormatMessageTextMax(counted.get(), worst, formatCopy.get(), slots.data());
  Require(length < worst && memcmp(full.get(), counted.get(), length + 1) == 0);

  std::unique_ptr<char[]> bounded(new char[capacity]);
  const size_t written =
      FormatMessageTextMax(bounded.get(), capacity, formatCopy.get(), slots.data());
  if (capacity == 0) {
    Require(written == 0);
    return 0;
  }
  Require(written == (length < capacity ? length : capacity - 1u));
  Require(bounded[written] == 0 && memcmp(bounded.get(), full.get(), written) == 0);
  return 0;
}
