#include "errors/console_output.h"

#include "text/strings.h"

Console StandardConsole() {
  const PlatformHandle input = PlatformStandardHandle(kStandardInput);
  return {PlatformUserReadsRussian() ? kRussian : kEnglish, input,
          PlatformStandardHandle(kStandardOutput), PlatformReportOutput(input)};
}

Console FilterConsole(Language language) {
  const PlatformHandle keys = PlatformTerminalInput();
  return {language, keys, PlatformStandardHandle(kStandardError), PlatformReportOutput(keys)};
}

// There is nowhere to report a failed console write: it is dropped, and the work goes on.
void WriteText(const Console& console, const char* text) {
  PlatformWriteConsole(console.output, text, StrLength(text));
}

void WriteLineEnd(const Console& console) {
  WriteText(console, "\r\n");
}

void WriteReportText(const Console& console, const char* text) {
  PlatformWriteConsole(console.error, text, StrLength(text));
}

void WriteReportLineEnd(const Console& console) {
  WriteReportText(console, "\r\n");
}
