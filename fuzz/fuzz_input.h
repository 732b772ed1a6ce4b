// Takes the fuzzer's bytes apart: small numbers first, then the rest as text.
#pragma once

#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>

#include <memory>
#include <string>

struct FuzzInput {
  const uint8_t* data;
  size_t size;

  /// The next byte, or 0 when the input is used up.
  uint8_t Byte() {
    if (size == 0) return 0;
    --size;
    return *data++;
  }
  uint16_t Word() {
    const uint8_t low = Byte();
    return static_cast<uint16_t>(low | Byte() << 8);
  }
  /// What is left, as a string; it holds no zero byte but its own terminator.
  std::string Text() {
    std::string text(reinterpret_cast<const char*>(data), size);
    text.resize(text.find('\0') == std::string::npos ? text.size() : text.find('\0'));
    size = 0;
    return text;
  }
};

/// A heap copy of text with its terminator and not one byte more, so that the address
/// sanitizer sees a read past it.
inline std::unique_ptr<char[]> ExactCopy(const std::string& text) {
  std::unique_ptr<char[]> copy(new char[text.size() + 1]);
  text.copy(copy.get(), text.size());
  copy[text.size()] = 0;
  return copy;
}

/// Stops the run as a crash when a property does not hold.
inline void Require(bool holds) {
  if (!holds) abort();
}
