// Process services on Windows: start-up, the command line as the system gives it, wide,
// the user's language and the end of the process.
#include "platform/win32/win32.h"

const PlatformError kErrorNameTooLong = ERROR_FILENAME_EXCED_RANGE;
const PlatformError kErrorNoMatch = ERROR_FILE_NOT_FOUND;

namespace {

// The command line, one byte a character, and the one word it makes. The system's line
// holds at most 32767 units, the terminator included.
char Line[32768];
const char* const Words[1] = {Line};

}  // namespace

PlatformCommand PlatformStart(int argc, char** argv) {
  // The program calls the system directly and needs no preparation; it reads the wide
  // command line instead of the arguments.
  (void)argc;
  (void)argv;
  const WCHAR* wide = GetCommandLineW();
  uint32_t i = 0;
  for (; wide[i] != 0 && i + 1 < sizeof Line; ++i)
    Line[i] = wide[i] < 0x80 ? static_cast<char>(wide[i]) : '\x98';
  Line[i] = 0;
  return {kCommandLine, 1, Words};
}

PlatformName PlatformCommandName(const PlatformCommand& command, uint32_t word, uint32_t begin,
                                 uint32_t end) {
  // Each byte of the one word stands for the unit of the wide line at its position.
  (void)command;
  (void)word;
  return {GetCommandLineW() + begin, end - begin};
}

void PlatformExit(uint8_t code) {
  EndConsoleLines();
  ExitProcess(code);
}

bool PlatformUserReadsRussian() {
  // The user's country code, as the registry keeps it: text such as "7" or "49".
  char code[34] = {};
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\International", 0, KEY_QUERY_VALUE, &key) !=
      ERROR_SUCCESS) {
    return false;
  }
  // One byte short of the buffer, so that the value always ends within it.
  DWORD bytes = sizeof code - 1;
  DWORD type;  // not looked at
  const LSTATUS status =
      RegQueryValueExA(key, "iCountry", nullptr, &type, reinterpret_cast<BYTE*>(code), &bytes);
  RegCloseKey(key);
  // Russia's calling code is 7. Only the first character counts, its bits 4 and 5
  // cleared ("7" and "70" are Russian, "49" is not).
  return status == ERROR_SUCCESS && (static_cast<uint8_t>(code[0]) & 0xCF) == 7;
}

uint64_t PlatformClockMs() {
  return GetTickCount64();
}
