// Console output: code page 866 text leaves in the user's charset, to a terminal, a pipe
// or a file alike, with a Linux program's line ends kept stream by stream.
#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <sys/ioctl.h>
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
// leaves as one LF, also when its two bytes come in two texts. Each stream keeps its own
// state, so that a text on one never changes how the next one on another ends.
struct LineState {
  char pendingPartner;  // the byte that would complete the pair last started, or 0
  bool lineOpen;        // the last byte written was no line end: the line is still open
};
// By descriptor: standard output, standard error and the terminal are among the first.
// Any higher one shares the last state.
constexpr int kStreams = 64;
LineState Streams[kStreams];

LineState& StreamOf(int fd) {
  return Streams[fd >= 0 && fd < kStreams ? fd : kStreams - 1];
}

// Copies count bytes of text to out with every CR LF and LF CR, and a CR or LF alone,
// made one LF. Returns the bytes put in out (count at most).
uint32_t LinuxLineEnds(LineState& stream, const char* text, uint32_t count, char* out) {
  uint32_t n = 0;
  for (uint32_t i = 0; i < count; ++i) {
    const char c = text[i];
    if (c != 0 && c == stream.pendingPartner) {
      stream.pendingPartner = 0;
      continue;
    }
    const bool lineEnd = c == '\r' || c == '\n';
    stream.pendingPartner = lineEnd ? (c == '\r' ? '\n' : '\r') : 0;
    out[n++] = lineEnd ? '\n' : c;
  }
  if (n > 0) stream.lineOpen = out[n - 1] != '\n';
  return n;
}

// The terminal, opened for reports and questions once they need it, or -1.
int terminalOutput = -1;

void EndLineOf(int fd) {
  LineState& stream = StreamOf(fd);
  if (stream.lineOpen) WriteAll(fd, "\n", 1);
  stream = {};
}

}  // namespace

PlatformHandle PlatformStandardHandle(StandardStream which) {
  // The descriptor of the same number.
  return ClosedAtStart(which) ? kNoHandle : static_cast<PlatformHandle>(which);
}

PlatformHandle PlatformTerminalInput() {
  const int fd = open("/dev/tty", O_RDONLY | O_NOCTTY | O_CLOEXEC);
  return fd >= 0 ? fd : kNoHandle;
}

PlatformHandle PlatformReportOutput(PlatformHandle keys) {
  if (!isatty(static_cast<int>(keys)) || isatty(2)) return 2;
  if (terminalOutput < 0) terminalOutput = open("/dev/tty", O_WRONLY | O_NOCTTY | O_CLOEXEC);
  return terminalOutput >= 0 ? terminalOutput : 2;
}

void PlatformWriteConsole(PlatformHandle output, const char* text, uint32_t count) {
  // Converted a piece at a time: one byte of code page 866 is at most four bytes of any
  // charset. Whatever fails is dropped: there is nowhere to report it.
  const int fd = static_cast<int>(output);
  LineState& stream = StreamOf(fd);
  char lines[256];
  char converted[1024];
  while (count > 0) {
    const uint32_t piece = count < 256 ? count : 256;
    const uint32_t kept = LinuxLineEnds(stream, text, piece, lines);
    const size_t n = ConvertCharset(kCharsetUser, kCharsetOem, lines, kept, converted,
                                    sizeof converted, "?", 1, nullptr);
    // Without the converter (the C library lacks it, and says so in ASCII) the bytes
    // go as they are.
    const bool unconverted = n == 0 && kept > 0;
    if (!WriteAll(fd, unconverted ? lines : converted, unconverted ? kept : n)) return;
    text += piece;
    count -= piece;
  }
}

void PlatformWriteName(PlatformHandle output, PlatformName name) {
  // The bytes as they are, whatever the charset; a control character would act on the
  // terminal, or end the line.
  const int fd = static_cast<int>(output);
  const char* bytes = static_cast<const char*>(name.text);
  char piece[256];
  for (uint32_t done = 0; done < name.length;) {
    uint32_t n = 0;
    for (; n < sizeof piece && done < name.length; ++n, ++done) {
      const unsigned char c = static_cast<unsigned char>(bytes[done]);
      piece[n] = c < 0x20 || c == 0x7F ? '?' : static_cast<char>(c);
    }
    if (!WriteAll(fd, piece, n)) return;
  }
  if (name.length > 0) StreamOf(fd) = {0, true};
}

void EndConsoleLine() {
  for (int fd = 0; fd < kStreams - 1; ++fd)
    EndLineOf(fd);
}

void PlatformWriteErrorLine(const char* text) {
  // After a question answered on standard error, the line starts below it.
  EndLineOf(2);
  PlatformWriteConsole(2, text, static_cast<uint32_t>(strlen(text)));
  PlatformWriteConsole(2, "\r\n", 2);
}

bool PlatformIsTerminal(PlatformHandle output) {
  return isatty(static_cast<int>(output)) != 0;
}

void PlatformShowStatus(PlatformHandle terminal, const char* text, uint32_t count) {
  const int fd = static_cast<int>(terminal);
  winsize size = {};
  const uint32_t columns = ioctl(fd, TIOCGWINSZ, &size) == 0 && size.ws_col > 1 ? size.ws_col : 80;
  // The last column stays free: a character there may take the cursor to the next line.
  constexpr uint32_t kMostBytes = 255;
  if (count > columns - 1) count = columns - 1;
  if (count > kMostBytes) count = kMostBytes;
  // Back to the line's start, the text, and the rest of the line erased: one write.
  char line[1 + 4 * kMostBytes + 3];
  line[0] = '\r';
  size_t n = 1 + ConvertCharset(kCharsetUser, kCharsetOem, text, count, line + 1, sizeof line - 4,
                                "?", 1, nullptr);
  memcpy(line + n, "\x1b[K", 3);
  WriteAll(fd, line, n + 3);
}
