// Keys on Windows: taken from the console's own input events, one per release, or read
// from a script where the input is a pipe or a file.
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

// The next key released on the console.
uint32_t NextConsoleKey(HANDLE console) {
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

// Keys given by a script: the input is a pipe or a file. Its bytes are read one at a
// time, so that nothing after an answer is taken from it, and wait here until they make
// a character.
struct ScriptInput {
  char pending[4];
  uint32_t count;
  bool ended;
};
ScriptInput Script;

// A script's characters are in the console's input code page (UTF-8 under chcp 65001),
// or in the OEM code page where the process has no console.
UINT ScriptCodePage() {
  const UINT codePage = GetConsoleCP();
  return codePage != 0 ? codePage : GetOEMCP();
}

// The bytes of the character that begins with lead.
uint32_t SequenceLength(UINT codePage, uint8_t lead) {
  if (codePage == CP_UTF8) return lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
  return IsDBCSLeadByteEx(codePage, lead) ? 2 : 1;
}

// Whether the pending bytes hold a whole character, or all that will come of one.
bool CharacterComplete(UINT codePage) {
  const uint8_t* bytes = reinterpret_cast<const uint8_t*>(Script.pending);
  if (Script.ended || Script.count >= SequenceLength(codePage, bytes[0])) return true;
  // In UTF-8 a byte that continues nothing ends the character before it.
  return codePage == CP_UTF8 && Script.count > 1 && (bytes[Script.count - 1] & 0xC0) != 0x80;
}

// Takes the key the pending bytes begin with: their character, or U+FFFD for a byte that
// begins none; a key of one byte carries it too.
PlatformKey TakeScriptKey(UINT codePage) {
  const uint8_t lead = static_cast<uint8_t>(Script.pending[0]);
  const uint32_t length =
      SequenceLength(codePage, lead) < Script.count ? SequenceLength(codePage, lead) : Script.count;
  WCHAR wide[2];
  const int units = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, Script.pending,
                                        static_cast<int>(length), wide, 2);
  PlatformKey key = {0xFFFD, 0};
  if (units == 1) key.character = wide[0];
  if (units == 2) key.character = 0x10000 + ((wide[0] - 0xD800u) << 10) + (wide[1] - 0xDC00u);
  const uint32_t used = units > 0 ? length : 1;
  if (used == 1 && lead >= 0x80) key.scriptByte = lead;
  Script.count -= used;
  for (uint32_t i = 0; i < Script.count; ++i)
    Script.pending[i] = Script.pending[used + i];
  return key;
}

// Reads one more byte of the script; false at its end, when it cannot be read, or once a
// request to end the process is held. A request that comes while the read waits is
// obeyed when a byte or the end comes; a second one ends the process at once.
bool ReadScriptByte(HANDLE input) {
  DWORD read = 0;
  if (PlatformInterrupted()) return false;
  const BOOL ok = ReadFile(input, Script.pending + Script.count, 1, &read, nullptr);
  Script.count += ok ? read : 0;
  return ok && read == 1;
}

// The next key of the script, however long its bytes take to come.
PlatformKey NextScriptKey(HANDLE input) {
  const UINT codePage = ScriptCodePage();
  for (;;) {
    if (Script.count > 0 && CharacterComplete(codePage)) return TakeScriptKey(codePage);
    if (Script.ended) return {kNoMoreKeys, 0};
    Script.ended = !ReadScriptByte(input);
  }
}

}  // namespace

PlatformKey PlatformNextKey(PlatformHandle input) {
  const HANDLE handle = SystemHandle(input);
  // With a request to end the process held no key answers, not even one read ahead.
  const PlatformKey key =
      IsConsole(handle) ? PlatformKey{NextConsoleKey(handle), 0} : NextScriptKey(handle);
  return PlatformInterrupted() ? PlatformKey{kNoMoreKeys, 0} : key;
}

void PlatformDiscardKeys(PlatformHandle input) {
  // Answers given by a script stay: they were written on purpose.
  const HANDLE handle = SystemHandle(input);
  if (IsConsole(handle)) FlushConsoleInputBuffer(handle);
}
