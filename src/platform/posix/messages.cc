// System messages and the two code pages: the C library's error texts as UTF-16, and
// conversions between UTF-16 and code pages 1251 (ANSI) and 866 (OEM), one character
// at a time through iconv.
#include <errno.h>
#include <string.h>

#include "platform/posix/posix_layer.h"
#include "platform/posix/seams.h"

namespace {

// UTF-16LE of U+FFFD, for a byte that its code page leaves unassigned.
constexpr char kReplacementUnit[2] = {'\xFD', '\xFF'};

bool CharsetOfCodePage(UINT codePage, Charset* charset) {
  // The system's ANSI and OEM code pages are 1251 and 866, which may also be named.
  if (codePage == CP_ACP || codePage == 1251) {
    *charset = kCharsetAnsi;
  } else if (codePage == CP_OEMCP || codePage == 866) {
    *charset = kCharsetOem;
  } else {
    return false;
  }
  return true;
}

bool IsHighSurrogate(WCHAR unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsLowSurrogate(WCHAR unit) {
  return unit >= 0xDC00 && unit <= 0xDFFF;
}

// The C library's text for an error number, in the charset of its messages, or nullptr
// when it has none (it would only make up "Unknown error" with the number).
const char* LibraryText(DWORD number) {
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 32))
  if (number > 0x7FFFFFFF || strerrordesc_np(static_cast<int>(number)) == nullptr) return nullptr;
#endif
  return strerror(static_cast<int>(number));
}

// The system's text for number as UTF-16 in text (capacity units, terminated); returns
// its length, or -1 when there is none. A text too long for text is cut.
long SystemText(DWORD number, WCHAR* text, size_t capacity) {
  if (PlatformSeams.systemMessage != nullptr) {
    const WCHAR* planned = PlatformSeams.systemMessage(number);
    if (planned == nullptr) return -1;
    size_t n = 0;
    for (; planned[n] != 0 && n + 1 < capacity; ++n)
      text[n] = planned[n];
    text[n] = 0;
    return static_cast<long>(n);
  }
  const char* library = LibraryText(number);
  if (library == nullptr) return -1;
  const size_t bytes = ConvertCharset(kCharsetUtf16, kCharsetMessages, library, strlen(library),
                                      reinterpret_cast<char*>(text), (capacity - 1) * sizeof(WCHAR),
                                      kReplacementUnit, sizeof kReplacementUnit, nullptr);
  const size_t n = bytes / sizeof(WCHAR);
  text[n] = 0;
  return static_cast<long>(n);
}

}  // namespace

DWORD FormatMessageW(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId, LPWSTR buffer,
                     DWORD size, void* arguments) {
  // Only the system's own texts exist here, always in the language of the user's locale;
  // they have no inserts.
  (void)source;
  (void)languageId;
  (void)arguments;
  if ((flags & FORMAT_MESSAGE_FROM_SYSTEM) == 0 || buffer == nullptr) return FailWith(EINVAL);
  WCHAR text[512];
  const long length = SystemText(messageId, text, sizeof text / sizeof text[0]);
  if (length <= 0) return FailWith(ERROR_MR_MID_NOT_FOUND);  // an empty text is none
  const size_t units = static_cast<size_t>(length) + 1;
  WCHAR* out = buffer;
  if ((flags & FORMAT_MESSAGE_ALLOCATE_BUFFER) != 0) {
    // The buffer argument is where the address of the new buffer goes; size is the
    // least number of units to allocate.
    out =
        static_cast<WCHAR*>(LocalAlloc(LMEM_FIXED, (units > size ? units : size) * sizeof(WCHAR)));
    if (out == nullptr) return 0;
    *reinterpret_cast<LPWSTR*>(buffer) = out;
  } else if (size < units) {
    return FailWith(ERROR_INSUFFICIENT_BUFFER);
  }
  memcpy(out, text, units * sizeof(WCHAR));
  return static_cast<DWORD>(length);
}

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR source, int sourceBytes, LPWSTR wide,
                        int wideChars) {
  (void)flags;
  Charset charset;
  if (!CharsetOfCodePage(codePage, &charset) || source == nullptr || sourceBytes == 0 ||
      sourceBytes < -1 || wideChars < 0 || (wideChars > 0 && wide == nullptr)) {
    return FailWith(EINVAL);
  }
  // A length of -1 takes the terminator with the text. Both code pages hold one
  // character per byte, and each is one UTF-16 unit.
  const size_t count = sourceBytes == -1 ? strlen(source) + 1 : static_cast<size_t>(sourceBytes);
  if (wideChars == 0) return static_cast<int>(count);
  for (size_t i = 0; i < count; ++i) {
    if (i == static_cast<size_t>(wideChars)) return FailWith(ERROR_INSUFFICIENT_BUFFER);
    char unit[2] = {kReplacementUnit[0], kReplacementUnit[1]};
    ConvertCharset(kCharsetUtf16, charset, source + i, 1, unit, sizeof unit, kReplacementUnit,
                   sizeof kReplacementUnit, nullptr);
    wide[i] = static_cast<WCHAR>(static_cast<unsigned char>(unit[0]) |
                                 (static_cast<unsigned char>(unit[1]) << 8));
  }
  return static_cast<int>(count);
}

int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wide, int wideChars, LPSTR dest,
                        int destBytes, LPCSTR defaultChar, LPBOOL usedDefault) {
  (void)flags;
  Charset charset;
  if (!CharsetOfCodePage(codePage, &charset) || wide == nullptr || wideChars == 0 ||
      wideChars < -1 || destBytes < 0 || (destBytes > 0 && dest == nullptr)) {
    return FailWith(EINVAL);
  }
  const char substitute = defaultChar != nullptr ? *defaultChar : '?';
  const size_t units = wideChars == -1 ? StrLength(wide) + 1 : static_cast<size_t>(wideChars);
  size_t written = 0;
  BOOL replacedAny = FALSE;
  for (size_t i = 0; i < units;) {
    // A surrogate pair is one character; the target code pages have no such characters.
    const size_t step =
        IsHighSurrogate(wide[i]) && i + 1 < units && IsLowSurrogate(wide[i + 1]) ? 2 : 1;
    char byte = substitute;
    size_t replaced = 0;
    ConvertCharset(charset, kCharsetUtf16, reinterpret_cast<const char*>(wide + i),
                   step * sizeof(WCHAR), &byte, 1, &substitute, 1, &replaced);
    if (replaced != 0) replacedAny = TRUE;
    if (destBytes != 0) {
      // What fits stays written, as the system leaves it.
      if (written == static_cast<size_t>(destBytes)) return FailWith(ERROR_INSUFFICIENT_BUFFER);
      dest[written] = byte;
    }
    ++written;
    i += step;
  }
  if (usedDefault != nullptr) *usedDefault = replacedAny;
  return static_cast<int>(written);
}

BOOL CharToOemA(LPCSTR source, LPSTR dest) {
  if (source == nullptr || dest == nullptr) return FailWith(EINVAL);
  // One byte gives one byte, so the conversion may work in place.
  size_t i = 0;
  for (; source[i] != 0; ++i) {
    char byte = source[i];
    if (static_cast<unsigned char>(byte) >= 0x80) {
      ConvertCharset(kCharsetOem, kCharsetAnsi, source + i, 1, &byte, 1, "?", 1, nullptr);
    }
    dest[i] = byte;
  }
  dest[i] = 0;
  return TRUE;
}
