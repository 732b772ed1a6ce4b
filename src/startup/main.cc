// main() only hands over to the platform layer and the program's own entry routine.
#include "platform/platform.h"
#include "startup/entry.h"

int main(int argc, char** argv) {
  PlatformStart(argc, argv);
  ProcessEntry();
}
