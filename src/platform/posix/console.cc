// Console output: UTF-16 text leaves in the user's charset, to a terminal, a pipe or a
// file alike.
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

BOOL WriteConsoleW(HANDLE output, const void* buffer, DWORD count, LPDWORD written,
                   LPVOID reserved) {
  (void)reserved;
  if (written != nullptr) *written = 0;
  const WCHAR* units = static_cast<const WCHAR*>(buffer);
  const int fd = FdFromHandle(output);
  if (PlatformSeams.consoleOutput == nullptr && fd < 0) return FailWith(EBADF);
  // Converted a piece at a time: one UTF-16 unit is at most four bytes of any charset,
  // and a piece never ends between the two units of a surrogate pair.
  char converted[1024];
  DWORD done = 0;
  while (done < count) {
    DWORD piece = count - done < 256 ? count - done : 256;
    if (piece > 1 && units[done + piece - 1] >= 0xD800 && units[done + piece - 1] <= 0xDBFF) {
      --piece;
    }
    const char* from = reinterpret_cast<const char*>(units + done);
    if (PlatformSeams.consoleOutput != nullptr) {
      // The seam sees the console's own code page, 866, as the program formatted it.
      const size_t n = ConvertCharset(kCharsetOem, kCharsetUtf16, from, piece * sizeof(WCHAR),
                                      converted, sizeof converted, "?", 1, nullptr);
      PlatformSeams.consoleOutput(converted, static_cast<DWORD>(n));
    } else {
      const size_t n = ConvertCharset(kCharsetUser, kCharsetUtf16, from, piece * sizeof(WCHAR),
                                      converted, sizeof converted, "?", 1, nullptr);
      if (!WriteAll(fd, converted, n)) return FailWithErrno();
    }
    done += piece;
  }
  if (written != nullptr) *written = count;
  return TRUE;
}
