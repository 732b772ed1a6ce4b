// Seams through which the tests watch and steer the POSIX layer. Nothing in the program
// sets them; with every slot empty the layer talks to the system alone.
#pragma once

#include "platform/platform.h"

struct PlatformSeamsRecord {
  /// When set, receives the bytes handed to WriteConsoleA (code page 866, unconverted)
  /// instead of the console.
  void (*consoleOutput)(const char* bytes, DWORD count);
};
extern PlatformSeamsRecord PlatformSeams;
