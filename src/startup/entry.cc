#include "startup/entry.h"

#include "errors/console_output.h"
#include "startup/tool_main.h"

void ProcessEntry() {
  StdHandles.input = GetStdHandle(STD_INPUT_HANDLE);
  StdHandles.output = GetStdHandle(STD_OUTPUT_HANDLE);
  ToolMain();
  ExitProgram(0);
}

void ExitProgram(uint8_t code) {
  ExitProcess(code);
}
