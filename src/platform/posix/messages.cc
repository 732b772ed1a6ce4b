// System messages and the console's code page: the C library's error texts in code page
// 1251, and code page 1251 text in code page 866.
#include <errno.h>
#include <string.h>

#include "platform/posix/posix.h"

namespace {

// The C library's text for an error number, in the charset of its messages, or nullptr
// when it has none (it would only make up "Unknown error" with the number).
const char* LibraryText(PlatformError number) {
  if (number > 0x7FFFFFFF) return nullptr;
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 32))
  if (strerrordesc_np(static_cast<int>(number)) == nullptr) return nullptr;
#endif
  return strerror(static_cast<int>(number));
}

}  // namespace

bool PlatformErrorText(PlatformError number, char* out, uint32_t size) {
  const char* library = LibraryText(number);
  if (library == nullptr || *library == 0) return false;
  // A character that code page 1251 lacks shows as a question mark.
  const size_t n = ConvertCharset(kCharsetAnsi, kCharsetMessages, library, strlen(library), out,
                                  size - 1, "?", 1, nullptr);
  out[n] = 0;
  return true;
}

void PlatformToConsoleCodePage(const char* text, char* out) {
  // One byte gives one byte, so the conversion may work in place.
  size_t i = 0;
  for (; text[i] != 0; ++i) {
    char byte = text[i];
    if (static_cast<unsigned char>(byte) >= 0x80) {
      ConvertCharset(kCharsetOem, kCharsetAnsi, text + i, 1, &byte, 1, "?", 1, nullptr);
    }
    out[i] = byte;
  }
  out[i] = 0;
}
