// What a command asks of each file it names.
#pragma once

#include <stdint.h>

#include "codepage/byte_maps.h"
#include "codepage/text_guess.h"

/// The conversion a command names: none, a switch's, or every file brought to one code
/// page (--to).
enum Aim : uint8_t { kAimNone = 0, kAimSwitch, kAimToPage };

/// What the command asks: to convert each file named, or only to tell what each is
/// (check) and what the conversion named would do with it.
struct Plan {
  bool check;
  Aim aim;
  Direction direction;  // the switch's, or /1251's where a conversion names none
  CodePageId target;    // --to's
  const char* word;     // the switch or --to as the command spells it, for the lines
};
