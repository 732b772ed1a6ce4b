#include "startup/entry.h"

#include "errors/console_output.h"
#include "startup/tool_main.h"

void ProcessEntry() {
  StdHandles.input = PlatformStandardHandle(kStandardInput);
  StdHandles.output = PlatformStandardHandle(kStandardOutput);
  ExitProgram(static_cast<uint8_t>(ToolMain()));
}

void ExitProgram(uint8_t code) {
  PlatformExit(code);
}
