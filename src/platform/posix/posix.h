// What the files of the POSIX side share: the user's locale and charset conversion
// through iconv(3), and the terminal's key mode.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "platform/platform.h"

/// Whether standard descriptor fd was closed when the process started.
bool ClosedAtStart(int fd);

/// The charsets the POSIX side converts between.
enum Charset {
  kCharsetUser,      // the user's charset (UserCharsetName)
  kCharsetMessages,  // the charset of the C library's messages (the locale's codeset)
  kCharsetAnsi,      // code page 1251, through which the messages reach code page 866
  kCharsetOem,       // code page 866, the program's console text
  kCharsetUtf32,     // UTF-32, little-endian: the value of a key
  kCharsetCount
};

/// The locale the user names for a category of the C library (LC_CTYPE or LC_MESSAGES):
/// the first set of LC_ALL, the category's own variable and LANG; nullptr when none is.
const char* UserLocaleName(int category);

/// The iconv name of the user's charset: the C library's for an installed locale other
/// than C or POSIX, else what the locale's name says after its dot, else UTF-8.
const char* UserCharsetName();

/// Opens every conversion the program needs. When the C library cannot provide one, says
/// which and why on standard error, in plain ASCII, and ends the process with status 1.
void RequireConversions();

/// Converts inBytes bytes from one charset to another into out (outBytes at most).
/// A character that cannot be converted, or an invalid input sequence, is replaced by
/// the bytes of substitute (in the target charset) and counted in *replaced. Returns the
/// bytes written; output that does not fit is cut at a character boundary.
size_t ConvertCharset(Charset to, Charset from, const char* in, size_t inBytes, char* out,
                      size_t outBytes, const char* substitute, size_t substituteBytes,
                      size_t* replaced);

/// Decodes the first character of in (inBytes bytes, at least 1) to its Unicode value.
/// Returns the bytes it takes, or 0 when in holds only the beginning of a character. An
/// invalid sequence takes one byte and gives U+FFFD.
size_t DecodeCharacter(Charset from, const char* in, size_t inBytes, uint32_t* character);

/// Writes count bytes to fd whole, going on after interrupted and short writes. A write
/// that moves nothing and names no error fails with EIO, or it would be tried for ever.
bool WriteAll(int fd, const char* bytes, size_t count);

/// Ends the console's last line, unless the last byte written ended it, so that what the
/// shell writes next starts on a line of its own.
void EndConsoleLine();

/// Switches the terminal fd to one key at a time without echo, keeping Ctrl+C, unless
/// it is switched already. Returns false when fd is no terminal.
bool EnterKeyMode(int fd);

/// Restores the terminal's settings if the console input changed them; safe to call at
/// any time, also from a signal handler.
void RestoreTerminal();

/// Waits up to timeoutMs (-1 without limit) for fd to be readable, as poll does, but
/// returns -1 with EINTR at once when a request to end the process is held, also one
/// that came before the wait.
int PollUnlessInterrupted(int fd, int timeoutMs, short* revents);
