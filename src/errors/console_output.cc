#include "errors/console_output.h"

#include "text/strings.h"

StandardHandles StdHandles;

void WriteText(const char* text) {
  // When the output is no console the text may be lost, and there is nowhere else to
  // report a failed console write.
  PlatformWriteConsole(StdHandles.output, text, StrLength(text));
}

void WriteLineEnd() {
  WriteText("\r\n");
}
