#include "errors/console_output.h"

#include "text/strings.h"

StandardHandles StdHandles;

namespace {

// The code page the texts are formatted in, whatever the console is set to.
constexpr UINT kTextCodePage = 866;

// The text goes out in pieces of this many bytes, each widened on the stack; one byte of
// code page 866 is one UTF-16 unit.
constexpr uint32_t kPieceBytes = 256;

}  // namespace

void WriteText(const char* text) {
  // Written as UTF-16, the letters read the same on a console set to any code page. The
  // results are not looked at: when the output is no console the text is lost, and there
  // is nowhere else to report a failed console write.
  WCHAR wide[kPieceBytes];
  for (uint32_t left = StrLength(text); left > 0;) {
    const uint32_t piece = left < kPieceBytes ? left : kPieceBytes;
    const int units = MultiByteToWideChar(kTextCodePage, 0, text, static_cast<int>(piece), wide,
                                          static_cast<int>(kPieceBytes));
    if (units > 0)
      WriteConsoleW(StdHandles.output, wide, static_cast<DWORD>(units), nullptr, nullptr);
    text += piece;
    left -= piece;
  }
}

void WriteLineEnd() {
  WriteText("\r\n");
}
