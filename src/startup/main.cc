// The process entry: the door prepares the system's services and hands over the
// command, and the tool's exit code ends the process.
#include "platform/platform.h"
#include "startup/tool_main.h"

int main(int argc, char** argv) {
  const PlatformCommand command = PlatformStart(argc, argv);
  PlatformExit(static_cast<uint8_t>(ToolMain(command)));
}
