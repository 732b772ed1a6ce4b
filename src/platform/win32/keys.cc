// Keys on Windows: taken from the console's own input events, one per release.
#include "platform/win32/win32.h"

namespace {

// The character of the next key released among the events waiting, without waiting: 0
// for a key without one, kNoMoreKeys when none was. Presses, repeats, mouse, focus, menu
// and size events are passed over, so that a key held down when the question appears
// counts when it is let go. An event that cannot be read is passed over as well.
uint32_t NextReleaseWaiting(HANDLE input, DWORD pending) {
  for (DWORD i = 0; i < pending; ++i) {
    INPUT_RECORD record;
    DWORD read = 0;
    if (!ReadConsoleInputW(input, &record, 1, &read) || read == 0) continue;
    if (record.EventType == KEY_EVENT && !record.Event.KeyEvent.bKeyDown) {
      return record.Event.KeyEvent.uChar.UnicodeChar;
    }
  }
  return kNoMoreKeys;
}

}  // namespace

uint32_t PlatformNextKey(PlatformHandle input) {
  const HANDLE console = SystemHandle(input);
  for (;;) {
    // In short steps, so that a request to end the process held meanwhile leaves the
    // question unanswered.
    DWORD waited = WAIT_TIMEOUT;
    while (waited == WAIT_TIMEOUT && !PlatformInterrupted())
      waited = WaitForSingleObject(console, 50);
    DWORD pending = 0;
    if (PlatformInterrupted() || waited == WAIT_FAILED ||
        !GetNumberOfConsoleInputEvents(console, &pending))
      return kNoMoreKeys;
    const uint32_t key = NextReleaseWaiting(console, pending);
    if (key != kNoMoreKeys) return key;
  }
}

void PlatformDiscardKeys(PlatformHandle input) {
  FlushConsoleInputBuffer(SystemHandle(input));
}
