// Console output: code page 866 text leaves in the user's charset, to a terminal, a pipe
// or a file alike.
#include <errno.h>
#include <string.h>
#include <unistd.h>

#include "platform/posix/posix.h"

bool WriteAll(int fd, const char* bytes, size_t count) {
  while (count > 0) {
    const ssize_t n = write(fd, bytes, count);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      return false;
    }
    bytes += n;
    count -= static_cast<size_t>(n);
  }
  return true;
}

PlatformHandle PlatformStandardHandle(StandardStream which) {
  return which == kStandardInput ? 0 : 1;
}

void PlatformWriteConsole(PlatformHandle output, const char* text, uint32_t count) {
  // Converted a piece at a time: one byte of code page 866 is at most four bytes of any
  // charset. Whatever fails is lost: there is nowhere to report it.
  char converted[1024];
  while (count > 0) {
    const uint32_t piece = count < 256 ? count : 256;
    const size_t n = ConvertCharset(kCharsetUser, kCharsetOem, text, piece, converted,
                                    sizeof converted, "?", 1, nullptr);
    if (!WriteAll(static_cast<int>(output), converted, n)) return;
    text += piece;
    count -= piece;
  }
}

void PlatformWriteErrorLine(const char* text) {
  PlatformWriteConsole(2, text, static_cast<uint32_t>(strlen(text)));
  WriteAll(2, "\n", 1);
}
