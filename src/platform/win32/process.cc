// Process services on Windows: the command line, the user's country, the last error and
// the end of the process.
#include "platform/win32/win32.h"

const PlatformError kErrorNameTooLong = ERROR_FILENAME_EXCED_RANGE;

void PlatformStart(int argc, char** argv) {
  // The program calls the system directly and needs no preparation.
  (void)argc;
  (void)argv;
}

void PlatformExit(uint8_t code) {
  ExitProcess(code);
}

const char* PlatformCommandLine() {
  return GetCommandLineA();
}

bool PlatformCountryCode(char* out, uint32_t size) {
  for (uint32_t i = 0; i < size; ++i)
    out[i] = 0;
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\International", 0, KEY_QUERY_VALUE, &key) !=
      ERROR_SUCCESS) {
    return false;
  }
  // One byte short of the buffer, so that the value always ends within it.
  DWORD bytes = size - 1;
  DWORD type;  // not looked at
  const LSTATUS status =
      RegQueryValueExA(key, "iCountry", nullptr, &type, reinterpret_cast<BYTE*>(out), &bytes);
  RegCloseKey(key);
  return status == ERROR_SUCCESS;
}

PlatformError PlatformLastError() {
  return GetLastError();
}

void PlatformSetLastError(PlatformError error) {
  SetLastError(error);
}
