// The command-line tail, the direction switch and the file name.
#pragma once

#include <stdint.h>

#include "codepage/byte_maps.h"
#include "codepage/text_guess.h"

/// The longest file name, in bytes of code page 1251, that a tail always holds whole.
inline constexpr uint16_t kNameLimit = 4096;
/// The most bytes of the tail that are kept: a name of kNameLimit bytes in quotes, a
/// blank and the longer switch, with room to spare. A tail buffer holds kTailLimit + 1
/// bytes.
inline constexpr uint16_t kTailLimit = kNameLimit + 64;
/// The most bytes examined for the closing quote of a quoted program name.
inline constexpr uint32_t kQuoteScanLimit = 512;

/// Copies the command line less the program name and the blanks after it to destination
/// (kTailLimit + 1 bytes), terminated; *start, when asked for, receives the position in
/// the command line where the tail begins, so that a position in the tail plus *start is
/// the same byte of the command line. Returns false when the tail is longer than
/// kTailLimit bytes (blanks at its end not counted): destination then holds its first
/// kTailLimit bytes, which are never to be taken for a file name.
bool ExtractCommandTail(const char* commandLine, char* destination, uint32_t* start = nullptr);

/// A part [begin, end) of a tail, as positions in it.
struct TailRange {
  uint32_t begin;
  uint32_t end;
};

/// What a tail names and asks: a part of it, the direction of its switch, and its other
/// words.
struct TailSwitch {
  TailRange name;
  Direction direction;
  bool switched;      // a switch follows the name
  bool check;         // "/check" follows it
  uint8_t toPages;    // how many of "/to866" and "/to1251" follow it
  CodePageId target;  // the code page the last of them names
};

/// The direction the switch in the tail names, and the part of the tail before the
/// switch less the byte before it: "/866" converts from 866 to 1251, "/1251" or no switch
/// from 1251 to 866. A switch counts only at the start of the tail or right after a space.
/// The words "/check", "/to866" and "/to1251" count where they stand whole after a space,
/// and the name ends before the first word of all.
TailSwitch ParseSwitch(const char* tail);

/// The file name in a trimmed, usable tail and the direction: the part before the switch
/// (ParseSwitch), less the spaces at its end, then less the double quotes that enclose
/// it whole.
TailSwitch TakeFileName(const char* tail);

/// What a tail that is a request of its own asks for.
enum TailRequest { kTailFile = 0, kTailNoName, kTailHelp, kTailVersion };

/// kTailNoName for a trimmed tail that is empty, kTailHelp for exactly "/?", "-h" or
/// "--help", kTailVersion for "--version", otherwise kTailFile; the same inside double
/// quotes that enclose the whole tail, with spaces around the word, or spaces alone,
/// inside them.
TailRequest RequestOfTail(const char* tail);
