#include "errors/console_output.h"

#include "text/strings.h"

StandardHandles StdHandles;

void WriteText(const char* text) {
  // The result is not looked at: there is nowhere else to report a failed console write.
  WriteConsoleA(StdHandles.output, text, StrLength(text), nullptr, nullptr);
}

void WriteLineEnd() {
  WriteText("\r\n");
}
