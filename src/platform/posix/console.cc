// Console output: code page 866 text leaves in the user's charset, to a terminal, a pipe
// or a file alike, with a Linux program's line ends.
#include <errno.h>
#include <fcntl.h>
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

namespace {

// The texts end their lines as Windows does, CR LF (the banner LF CR); each such pair
// leaves as one LF, also when its two bytes come in two texts. The byte that would
// complete the pair last started, or 0.
char pendingPartner;
// The descriptor whose last byte written was no line end, so that its line is still
// open, or -1.
int lineOpenOn = -1;

// Copies count bytes of text to out with every CR LF and LF CR, and a CR or LF alone,
// made one LF. Returns the bytes put in out (count at most).
uint32_t LinuxLineEnds(int fd, const char* text, uint32_t count, char* out) {
  uint32_t n = 0;
  for (uint32_t i = 0; i < count; ++i) {
    const char c = text[i];
    if (c != 0 && c == pendingPartner) {
      pendingPartner = 0;
      continue;
    }
    const bool lineEnd = c == '\r' || c == '\n';
    pendingPartner = lineEnd ? (c == '\r' ? '\n' : '\r') : 0;
    out[n++] = lineEnd ? '\n' : c;
  }
  if (n > 0) lineOpenOn = out[n - 1] != '\n' ? fd : -1;
  return n;
}

}  // namespace

PlatformHandle PlatformStandardHandle(StandardStream which) {
  return which;  // the descriptor of the same number
}

PlatformHandle PlatformTerminalInput() {
  const int fd = open("/dev/tty", O_RDONLY | O_NOCTTY | O_CLOEXEC);
  return fd >= 0 ? fd : kNoHandle;
}

void PlatformWriteConsole(PlatformHandle output, const char* text, uint32_t count) {
  // Converted a piece at a time: one byte of code page 866 is at most four bytes of any
  // charset. Whatever fails is lost: there is nowhere to report it.
  char lines[256];
  char converted[1024];
  while (count > 0) {
    const uint32_t piece = count < 256 ? count : 256;
    const uint32_t kept = LinuxLineEnds(static_cast<int>(output), text, piece, lines);
    const size_t n = ConvertCharset(kCharsetUser, kCharsetOem, lines, kept, converted,
                                    sizeof converted, "?", 1, nullptr);
    if (!WriteAll(static_cast<int>(output), converted, n)) return;
    text += piece;
    count -= piece;
  }
}

void EndConsoleLine() {
  if (lineOpenOn >= 0) WriteAll(lineOpenOn, "\n", 1);
  lineOpenOn = -1;
}

void PlatformWriteErrorLine(const char* text) {
  PlatformWriteConsole(2, text, static_cast<uint32_t>(strlen(text)));
  WriteAll(2, "\n", 1);
}
