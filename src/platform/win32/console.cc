// The console on Windows: code page 866 text written as UTF-16, so that it reads right
// whatever code page the console is set to, and in the console's code page where the
// output is redirected.
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
  const HANDLE handle = GetStdHandle(kinds[which]);
  return handle != nullptr ? DoorHandle(handle) : kNoHandle;  // none was given
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

namespace {

// Writes units of UTF-16 text: on a console as they are, so that they read right whatever
// code page it is set to; redirected, in the console's own code page, as console programs
// write to files and pipes, or the OEM code page where the process has no console.
void WriteWide(HANDLE handle, const WCHAR* wide, int units) {
  if (IsConsole(handle)) {
    WriteConsoleW(handle, wide, static_cast<DWORD>(units), nullptr, nullptr);
    return;
  }
  UINT codePage = GetConsoleOutputCP();
  if (codePage == 0) codePage = CP_OEMCP;
  char narrow[4 * kPieceBytes];  // room for UTF-8
  const int bytes = WideCharToMultiByte(codePage, 0, wide, units, narrow,
                                        static_cast<int>(sizeof narrow), nullptr, nullptr);
  DWORD written;
  if (bytes > 0) WriteFile(handle, narrow, static_cast<DWORD>(bytes), &written, nullptr);
}

}  // namespace

void PlatformWriteConsole(PlatformHandle output, const char* text, uint32_t count) {
  // The results are not looked at: a write that fails is dropped.
  const HANDLE handle = SystemHandle(output);
  NoteLineOf(handle, text, count);
  ForEachWidePiece(text, count,
                   [handle](const WCHAR* wide, int units) { WriteWide(handle, wide, units); });
}

void PlatformWriteName(PlatformHandle output, PlatformName name) {
  // A piece never ends between the two units of a surrogate pair.
  const HANDLE handle = SystemHandle(output);
  const WCHAR* text = static_cast<const WCHAR*>(name.text);
  WCHAR piece[kPieceBytes];
  for (uint32_t done = 0; done < name.length;) {
    uint32_t n = 0;
    for (; n < kPieceBytes && done < name.length; ++n, ++done)
      piece[n] = text[done] < 0x20 || text[done] == 0x7F ? L'?' : text[done];
    if (n == kPieceBytes && done < name.length && IS_HIGH_SURROGATE(piece[n - 1])) {
      --n;
      --done;
    }
    WriteWide(handle, piece, static_cast<int>(n));
  }
  NoteLineOf(handle, "?", name.length > 0 ? 1 : 0);
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
