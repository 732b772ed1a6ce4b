// The command-line tail and the direction switch.
#pragma once

#include <stdint.h>

/// The most bytes of the tail that are kept; a tail buffer holds kTailLimit + 1 bytes.
inline constexpr uint16_t kTailLimit = 129;
/// The most bytes examined for the closing quote of a quoted program name.
inline constexpr uint32_t kQuoteScanLimit = 512;

/// Fills destination (kTailLimit + 1 bytes) with the command line less the program name,
/// at most kTailLimit bytes, terminated. Returns destination.
char* GetCommandTail(char* destination);

/// Skips the program name at the start of a command line as GetCommandTail does and
/// copies the rest, cut at kTailLimit bytes, to destination.
char* ExtractCommandTail(const char* commandLine, char* destination);

/// Chooses ByteConverter from the switch in the tail and cuts the switch, and the byte
/// before it, off the tail: "/866" converts from 866 to 1251, "/1251" or no switch from
/// 1251 to 866.
void ParseSwitch(char* tail);
