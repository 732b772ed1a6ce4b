#include "errors/console_output.h"

#include "text/strings.h"

StandardHandles StdHandles;

// There is nowhere to report a failed console write: it is dropped, and the work goes on.
void WriteText(const char* text) {
  PlatformWriteConsole(StdHandles.output, text, StrLength(text));
}

void WriteLineEnd() {
  WriteText("\r\n");
}

void WriteReportText(const char* text) {
  PlatformWriteConsole(StdHandles.error, text, StrLength(text));
}

void WriteReportLineEnd() {
  WriteReportText("\r\n");
}
