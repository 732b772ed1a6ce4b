// Shows one error report and prints the operator's answer, set up as the tool sets up
// its console: "prompt_driver ACTION ERROR NAME" reports that ACTION (an action code)
// on the file NAME failed with system error ERROR. Then it prints "answer=N" and, when
// the input is a terminal, whether the terminal is back in line mode with echo.
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include "errors/console_output.h"
#include "errors/error_context.h"
#include "platform/platform.h"
#include "text/formatter.h"

int main(int argc, char** argv) {
  PlatformStart(argc, argv);
  if (argc != 4) return 2;
  const Console console = StandardConsole();

  FormatSlot arguments[1];
  arguments[0].text = argv[3];
  const uint16_t answer = ReportSystemError(console, static_cast<uint16_t>(atoi(argv[1])),
                                            arguments, static_cast<PlatformError>(atol(argv[2])));

  char number[12];
  IntToText(answer, 10, 0, number);
  WriteLineEnd(console);
  WriteText(console, "answer=");
  WriteText(console, number);
  termios mode;
  if (tcgetattr(0, &mode) == 0) {
    const bool lineMode = (mode.c_lflag & ICANON) != 0 && (mode.c_lflag & ECHO) != 0;
    WriteText(console, lineMode ? " terminal=line" : " terminal=keys");
  }
  WriteLineEnd(console);
  PlatformExit(0);
}
