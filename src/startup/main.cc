// The process entry: the door prepares the system's services, the console handles are
// taken once for the whole run, and the tool's exit code ends the process.
#include "errors/console_output.h"
#include "platform/platform.h"
#include "startup/tool_main.h"

int main(int argc, char** argv) {
  PlatformStart(argc, argv);
  StdHandles.input = PlatformStandardHandle(kStandardInput);
  StdHandles.output = PlatformStandardHandle(kStandardOutput);
  StdHandles.error = PlatformReportOutput(StdHandles.input);
  PlatformExit(static_cast<uint8_t>(ToolMain()));
}
