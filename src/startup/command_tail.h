// The command-line tail, the direction switch and the file name.
#pragma once

#include <stdint.h>

/// The longest file name, in bytes of code page 1251, that a tail always holds whole.
inline constexpr uint16_t kNameLimit = 4096;
/// The most bytes of the tail that are kept: a name of kNameLimit bytes in quotes, a
/// blank and the longer switch, with room to spare. A tail buffer holds kTailLimit + 1
/// bytes.
inline constexpr uint16_t kTailLimit = kNameLimit + 64;
/// The most bytes examined for the closing quote of a quoted program name.
inline constexpr uint32_t kQuoteScanLimit = 512;

/// Fills destination (kTailLimit + 1 bytes) with the command line less the program name,
/// terminated. Returns false when the tail is longer than kTailLimit bytes (blanks at
/// its end not counted): destination then holds its first kTailLimit bytes, which are
/// never to be taken for a file name.
bool GetCommandTail(char* destination);

/// Skips the program name at the start of a command line as GetCommandTail does and
/// copies the rest to destination, with the same result.
bool ExtractCommandTail(const char* commandLine, char* destination);

/// Chooses ByteConverter from the switch in the tail and cuts the switch, and the byte
/// before it, off the tail: "/866" converts from 866 to 1251, "/1251" or no switch from
/// 1251 to 866. A switch counts only at the start of the tail or right after a space.
void ParseSwitch(char* tail);

/// Leaves the file name in a trimmed, usable tail: cuts the switch off (ParseSwitch), then
/// the spaces before it, then the double quotes that enclose the whole name.
void TakeFileName(char* tail);

/// What a tail that is a request of its own asks for.
enum TailRequest { kTailFile = 0, kTailHelp, kTailVersion };

/// kTailHelp for a trimmed tail that is empty or exactly "/?", "-h" or "--help",
/// kTailVersion for "--version", otherwise kTailFile; the same inside double quotes that
/// enclose the whole tail, with spaces around the word, or spaces alone, inside them.
TailRequest RequestOfTail(const char* tail);
