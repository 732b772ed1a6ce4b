// The Windows target needs no preparation: the program calls the system directly.
#include "platform/platform.h"

void PlatformStart(int argc, char** argv) {
  (void)argc;
  (void)argv;
}
