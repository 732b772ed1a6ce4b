// System messages: the C library's error texts in code page 866, by way of code page
// 1251, so that a character 1251 lacks shows as a question mark as on Windows.
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
  // A character that code page 1251 or 866 lacks shows as a question mark. One byte of
  // 1251 gives one byte of 866, so the second step works in place.
  const size_t n = ConvertCharset(kCharsetAnsi, kCharsetMessages, library, strlen(library), out,
                                  size - 1, "?", 1, nullptr);
  out[n] = 0;
  for (size_t i = 0; i < n; ++i) {
    const char byte = out[i];
    if (static_cast<unsigned char>(byte) >= 0x80)
      ConvertCharset(kCharsetOem, kCharsetAnsi, &byte, 1, out + i, 1, "?", 1, nullptr);
  }
  return true;
}
