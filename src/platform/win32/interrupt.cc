// Requests to end the process on Windows: the console's Ctrl+C, Ctrl+Break and close,
// held while a run is at work, for it to stop at its next boundary; a second one ends
// the process at once.
#include "platform/win32/win32.h"

namespace {

// What becomes of a request to end the process: it ends the process (not holding, or a
// second request), or it is held while a run is at work. The console's handler runs in
// a thread of its own: the state changes in one step each.
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
