// Console output: code page 866 text leaves in the user's charset, to a terminal, a pipe
// or a file alike.
#include <errno.h>
#include <unistd.h>

#include "platform/posix/posix_layer.h"
#include "platform/posix/seams.h"

namespace {

bool WriteAll(int fd, const char* bytes, size_t count) {
  while (count > 0) {
    const ssize_t n = write(fd, bytes, count);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      // A write that moves nothing and names no error would be tried for ever.
      if (n == 0) errno = EIO;
      return false;
    }
    bytes += n;
    count -= static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

BOOL WriteConsoleA(HANDLE output, const void* buffer, DWORD count, LPDWORD written,
                   LPVOID reserved) {
  (void)reserved;
  if (written != nullptr) *written = 0;
  const char* bytes = static_cast<const char*>(buffer);
  if (PlatformSeams.consoleOutput != nullptr) {
    PlatformSeams.consoleOutput(bytes, count);
    if (written != nullptr) *written = count;
    return TRUE;
  }
  const int fd = FdFromHandle(output);
  if (fd < 0) return FailWith(EBADF);
  // Converted a piece at a time: one cp866 byte is at most four bytes of any charset.
  char converted[1024];
  DWORD done = 0;
  while (done < count) {
    const DWORD piece = count - done < 256 ? count - done : 256;
    const size_t n = ConvertCharset(kCharsetUser, kCharsetOem, bytes + done, piece, converted,
                                    sizeof converted, "?", 1, nullptr);
    if (!WriteAll(fd, converted, n)) return FailWithErrno();
    done += piece;
  }
  if (written != nullptr) *written = count;
  return TRUE;
}
