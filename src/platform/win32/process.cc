// Process services on Windows: the command line as the system gives it, wide, the user's
// language, the last error and the end of the process, also at the console's Ctrl+C,
// Ctrl+Break and close.
#include "platform/win32/win32.h"

namespace {

// What becomes of a request to end the process: it ends the process (not holding, or a
// second request), or it is held while a run is at work, for the run to stop at its
// next boundary. The console's handler runs in a thread of its own: the state changes
// in one step each.
enum HoldState : LONG { kNotHolding, kHolding, kHeld };
volatile LONG holdState = kNotHolding;

BOOL WINAPI OnConsoleControl(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT) {
    return FALSE;
  }
  // Anything but the first request while a run is at work: the system's own handler
  // ends the process.
  if (InterlockedCompareExchange(&holdState, kHeld, kHolding) != kHolding) return FALSE;
  // A closed console ends the process as soon as this returns: the handler waits here
  // while the run gets to its boundary, and ends with the process.
  if (event == CTRL_CLOSE_EVENT) Sleep(INFINITE);
  return TRUE;
}

// The status the system's own handler ends the process with.
[[noreturn]] void EndAsInterrupted() {
  ExitProcess(STATUS_CONTROL_C_EXIT);
}

}  // namespace

const PlatformError kErrorNameTooLong = ERROR_FILENAME_EXCED_RANGE;

void PlatformStart(int argc, char** argv) {
  // The program calls the system directly and needs no preparation.
  (void)argc;
  (void)argv;
}

void PlatformExit(uint8_t code) {
  EndConsoleLines();
  ExitProcess(code);
}

void PlatformBeginInterruptible() {
  static bool installed = false;
  if (!installed) installed = SetConsoleCtrlHandler(OnConsoleControl, TRUE) != 0;
  InterlockedCompareExchange(&holdState, kHolding, kNotHolding);
}

void PlatformEndInterruptible() {
  if (InterlockedCompareExchange(&holdState, kNotHolding, kHolding) == kHeld) EndAsInterrupted();
}

bool PlatformInterrupted() {
  return holdState == kHeld;
}

void PlatformEndInterrupted() {
  if (holdState != kHeld) PlatformExit(1);
  EndAsInterrupted();
}

const char* const* PlatformArguments(uint32_t* count) {
  *count = 0;
  return nullptr;  // the command comes as one line
}

PlatformName PlatformArgumentName(uint32_t) {
  return {L"", 0};
}

const char* PlatformCommandLine() {
  // The system's line holds at most 32767 units, the terminator included.
  static char line[32768];
  if (line[0] == 0) {
    const WCHAR* wide = GetCommandLineW();
    uint32_t i = 0;
    for (; wide[i] != 0 && i + 1 < sizeof line; ++i)
      line[i] = wide[i] < 0x80 ? static_cast<char>(wide[i]) : '\x98';
    line[i] = 0;
  }
  return line;
}

PlatformName PlatformCommandLineName(uint32_t begin, uint32_t end) {
  return {GetCommandLineW() + begin, end - begin};
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

PlatformError PlatformLastError() {
  return GetLastError();
}

void PlatformSetLastError(PlatformError error) {
  SetLastError(error);
}
