// The console on Windows: code page 866 text written as UTF-16, so that it reads right
// whatever code page the console is set to, and keys taken from the console's own input
// events, one per release.
#include "platform/win32/win32.h"

namespace {

// The code page the program's texts are formatted in.
constexpr UINT kTextCodePage = 866;

// The text goes out in pieces of this many bytes, each widened on the stack; one byte of
// code page 866 is one UTF-16 unit.
constexpr uint32_t kPieceBytes = 256;

// Widens count bytes of code page 866 text a piece at a time and hands each piece to out.
template <typename Out>
void ForEachWidePiece(const char* text, uint32_t count, Out out) {
  WCHAR wide[kPieceBytes];
  while (count > 0) {
    const uint32_t piece = count < kPieceBytes ? count : kPieceBytes;
    const int units = MultiByteToWideChar(kTextCodePage, 0, text, static_cast<int>(piece), wide,
                                          static_cast<int>(kPieceBytes));
    if (units > 0) out(wide, units);
    text += piece;
    count -= piece;
  }
}

bool IsConsole(HANDLE handle) {
  DWORD mode;
  return GetConsoleMode(handle, &mode) != 0;
}

// The streams written to, and whether the last text on each left its line open.
struct LineState {
  HANDLE handle;
  bool open;
};
LineState Lines[3];

void NoteLineOf(HANDLE handle, const char* text, uint32_t count) {
  if (count == 0) return;
  LineState* line = &Lines[2];
  for (LineState& each : Lines) {
    if (each.handle == handle || each.handle == nullptr) {
      line = &each;
      break;
    }
  }
  line->handle = handle;
  line->open = text[count - 1] != '\n' && text[count - 1] != '\r';
}

}  // namespace

void EndConsoleLines() {
  for (LineState& line : Lines) {
    if (line.open) PlatformWriteConsole(DoorHandle(line.handle), "\r\n", 2);
  }
}

PlatformHandle PlatformStandardHandle(StandardStream which) {
  const DWORD kinds[] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
  return DoorHandle(GetStdHandle(kinds[which]));
}

PlatformHandle PlatformTerminalInput() {
  const HANDLE console =
      CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  nullptr, OPEN_EXISTING, 0, nullptr);
  return console != INVALID_HANDLE_VALUE ? DoorHandle(console) : kNoHandle;
}

PlatformHandle PlatformReportOutput(PlatformHandle keys) {
  const HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
  if (!IsConsole(SystemHandle(keys)) || IsConsole(error)) return DoorHandle(error);
  // Opened once, the first time it is needed.
  static HANDLE console = INVALID_HANDLE_VALUE;
  if (console == INVALID_HANDLE_VALUE) {
    console = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  }
  return DoorHandle(console != INVALID_HANDLE_VALUE ? console : error);
}

void PlatformWriteConsole(PlatformHandle output, const char* text, uint32_t count) {
  // The results are not looked at: a write that fails is dropped.
  const HANDLE handle = SystemHandle(output);
  NoteLineOf(handle, text, count);
  if (IsConsole(handle)) {
    ForEachWidePiece(text, count, [handle](const WCHAR* wide, int units) {
      WriteConsoleW(handle, wide, static_cast<DWORD>(units), nullptr, nullptr);
    });
    return;
  }
  // Redirected: in the console's own code page, as console programs write to files and
  // pipes; the OEM code page where the process has no console.
  UINT codePage = GetConsoleOutputCP();
  if (codePage == 0) codePage = CP_OEMCP;
  ForEachWidePiece(text, count, [handle, codePage](const WCHAR* wide, int units) {
    char narrow[4 * kPieceBytes];  // room for UTF-8
    const int bytes = WideCharToMultiByte(codePage, 0, wide, units, narrow,
                                          static_cast<int>(sizeof narrow), nullptr, nullptr);
    DWORD written;
    if (bytes > 0) WriteFile(handle, narrow, static_cast<DWORD>(bytes), &written, nullptr);
  });
}

void PlatformWriteErrorLine(const char* text) {
  const HANDLE handle = GetStdHandle(STD_ERROR_HANDLE);
  const PlatformHandle error = DoorHandle(handle);
  // After a question answered there, the line starts below it.
  for (const LineState& line : Lines) {
    if (line.handle == handle && line.open) PlatformWriteConsole(error, "\r\n", 2);
  }
  PlatformWriteConsole(error, text, static_cast<uint32_t>(lstrlenA(text)));
  PlatformWriteConsole(error, "\r\n", 2);
}

bool PlatformIsTerminal(PlatformHandle output) {
  return IsConsole(SystemHandle(output));
}

void PlatformShowStatus(PlatformHandle terminal, const char* text, uint32_t count) {
  const HANDLE handle = SystemHandle(terminal);
  CONSOLE_SCREEN_BUFFER_INFO screen;
  if (!GetConsoleScreenBufferInfo(handle, &screen)) return;
  // Filled with blanks up to the last column but one, over whatever was there, and the
  // cursor back at the line's start: one write.
  const uint32_t columns = screen.dwSize.X > 1 ? static_cast<uint32_t>(screen.dwSize.X) : 80;
  const uint32_t width = columns - 1 < kPieceBytes ? columns - 1 : kPieceBytes;
  WCHAR line[kPieceBytes + 2];
  line[0] = L'\r';
  const int units = count == 0
                        ? 0
                        : MultiByteToWideChar(kTextCodePage, 0, text,
                                              static_cast<int>(count < width ? count : width),
                                              line + 1, static_cast<int>(width));
  for (uint32_t i = units > 0 ? static_cast<uint32_t>(units) : 0; i < width; ++i)
    line[1 + i] = L' ';
  line[1 + width] = L'\r';
  WriteConsoleW(handle, line, width + 2, nullptr, nullptr);
}

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
    BeginKeyWait();
    const bool waited = WaitForSingleObject(console, INFINITE) != WAIT_FAILED;
    EndKeyWait();
    DWORD pending = 0;
    if (!waited || !GetNumberOfConsoleInputEvents(console, &pending)) return kNoMoreKeys;
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

// Reads one more byte of the script; false at its end, or when it cannot be read.
bool ReadScriptByte(HANDLE input) {
  DWORD read = 0;
  BeginKeyWait();
  const BOOL ok = ReadFile(input, Script.pending + Script.count, 1, &read, nullptr);
  EndKeyWait();
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
  if (!IsConsole(handle)) return NextScriptKey(handle);
  return {NextConsoleKey(handle), 0};
}

void PlatformDiscardKeys(PlatformHandle input) {
  // Answers given by a script stay: they were written on purpose.
  const HANDLE handle = SystemHandle(input);
  if (IsConsole(handle)) FlushConsoleInputBuffer(handle);
}
