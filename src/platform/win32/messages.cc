// System messages on Windows, in code page 866.
#include "platform/win32/win32.h"

namespace {

// The language the system's texts are asked in: the user's default, the value of
// MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT).
constexpr DWORD kUserDefaultLanguage = 0x0400;

}  // namespace

bool PlatformErrorText(PlatformError number, char* out, uint32_t size) {
  LPWSTR message = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM,
      nullptr, number, kUserDefaultLanguage, reinterpret_cast<LPWSTR>(&message), 0, nullptr);
  if (length == 0 || message == nullptr) {
    if (message != nullptr) LocalFree(message);
    return false;
  }
  // A text too long for out fills it and fails; the last byte ends it either way. What
  // code page 866 lacks becomes its nearest character, or a question mark.
  WideCharToMultiByte(866, 0, message, -1, out, static_cast<int>(size), "?", nullptr);
  out[size - 1] = 0;
  LocalFree(message);
  return true;
}

PlatformError PlatformLastError() {
  return GetLastError();
}
