// Files: existing files opened for update, locked for the whole run, with whole
// transfers and 64-bit positions.
//
// The layer keeps the position of every file it opened itself and transfers with pread
// and pwrite at that position, so that setting the position costs no system call.
// Descriptors it did not open (or past its table) keep the system's own position through
// read, write and lseek. A transfer that names its offset (the Offset of an OVERLAPPED)
// goes there with pread or pwrite on any descriptor.
#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/posix/posix_layer.h"
#include "platform/posix/seams.h"

namespace {

// A fault that a test has planned for this call, if any: the call then fails with the
// planned error without reaching the system.
bool InjectedFault(FaultedCall call) {
  FileFault& fault = PlatformSeams.fileFaults[call];
  const uint32_t number = ++fault.calls;
  if (fault.failFrom == 0 || number < fault.failFrom ||
      number - fault.failFrom >= fault.failCount) {
    return false;
  }
  FailWith(fault.error);
  return true;
}

// The positions of the files opened here, by descriptor.
struct HeldPosition {
  bool held;
  off_t position;
};
constexpr int kHeldFiles = 256;
HeldPosition HeldPositions[kHeldFiles];

HeldPosition* HeldFor(int fd) {
  return fd >= 0 && fd < kHeldFiles && HeldPositions[fd].held ? &HeldPositions[fd] : nullptr;
}

// One transfer at the held position (which the caller moves on) or at the system's.
ssize_t ReadAt(int fd, const HeldPosition* held, char* bytes, size_t size, DWORD done) {
  return held != nullptr ? pread(fd, bytes, size, held->position + done) : read(fd, bytes, size);
}

ssize_t WriteAt(int fd, const HeldPosition* held, const char* bytes, size_t size, DWORD done) {
  return held != nullptr ? pwrite(fd, bytes, size, held->position + done) : write(fd, bytes, size);
}

// Where a seek from the held position leads, as lseek would find it: a position before
// the start of the file, or one that does not fit, is EINVAL.
int SeekHeld(int fd, HeldPosition* held, int64_t offset, int whence, off_t* position) {
  off_t base = 0;
  if (whence == SEEK_CUR) {
    base = held->position;
  } else if (whence == SEEK_END) {
    struct stat status;
    if (fstat(fd, &status) != 0) return errno;
    base = status.st_size;
  }
  off_t target;
  if (__builtin_add_overflow(base, offset, &target) || target < 0) return EINVAL;
  *position = held->position = target;
  return 0;
}

// Where a transfer that names its offset goes: there, whatever the held position. A
// transfer whose end lies past what the system can address fails before it starts.
bool PositionOf(const OVERLAPPED* overlapped, DWORD size, HeldPosition* at) {
  if (InjectedFault(kFaultSeek)) return false;
  const uint64_t offset = static_cast<uint64_t>(overlapped->OffsetHigh) << 32 | overlapped->Offset;
  if (offset > static_cast<uint64_t>(INT64_MAX) - size) {
    FailWith(EINVAL);
    return false;
  }
  *at = {true, static_cast<off_t>(offset)};
  return true;
}

// After a transfer at a named offset the handle's position follows it, as it does on a
// synchronous Windows handle.
void FollowTransfer(int fd, const HeldPosition& at) {
  if (HeldPosition* held = HeldFor(fd)) held->position = at.position;
}

// The name in the user's charset, or the error that stops the open. A character that
// the charset cannot hold, or one that stood for an unconvertible character on the
// command line (U+FFFD), fails it: a name is never bent into the name of another file.
int NativeName(LPCWSTR name, char* out, size_t size) {
  const size_t length = WideLength(name);
  for (size_t i = 0; i < length; ++i) {
    if (name[i] == 0xFFFD) return EILSEQ;
  }
  size_t replaced = 0;
  const size_t n = ConvertCharset(kCharsetUser, kCharsetUtf16, reinterpret_cast<const char*>(name),
                                  length * sizeof(WCHAR), out, size - 1, "?", 1, &replaced);
  out[n] = 0;
  if (replaced != 0) return EILSEQ;
  // A name cut by the buffer would name another file too.
  return n < size - 1 ? 0 : ENAMETOOLONG;
}

int OpenFlags(DWORD access) {
  const bool reads = (access & GENERIC_READ) != 0;
  const bool writes = (access & GENERIC_WRITE) != 0;
  return reads && writes ? O_RDWR : writes ? O_WRONLY : O_RDONLY;
}

}  // namespace

HANDLE CreateFileW(LPCWSTR name, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES security,
                   DWORD disposition, DWORD flags, HANDLE templateFile) {
  (void)security;
  (void)flags;
  (void)templateFile;
  if (InjectedFault(kFaultOpen)) return INVALID_HANDLE_VALUE;
  char path[4096];
  const int nameError = NativeName(name, path, sizeof path);
  if (nameError != 0) {
    FailWith(static_cast<DWORD>(nameError));
    return INVALID_HANDLE_VALUE;
  }
  if (disposition != OPEN_EXISTING) {
    FailWith(EINVAL);
    return INVALID_HANDLE_VALUE;
  }
  // Without O_NONBLOCK a FIFO would wait here for a peer; it is refused below anyway.
  const int fd = open(path, OpenFlags(access) | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    FailWithErrno();
    return INVALID_HANDLE_VALUE;
  }
  struct stat status;
  int error = 0;
  if (fstat(fd, &status) != 0) {
    error = errno;
  } else if (S_ISDIR(status.st_mode)) {
    error = EISDIR;
  } else if (S_ISFIFO(status.st_mode) || S_ISSOCK(status.st_mode)) {
    error = ESPIPE;  // a stream cannot be rewritten in place
  } else if (fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
    error = errno;
  } else if ((access & GENERIC_WRITE) != 0 && (shareMode & 0x2u) == 0 &&
             flock(fd, LOCK_EX | LOCK_NB) != 0) {
    // Sharing only for reading: a second writer, such as another run on the same
    // file, is refused for as long as this handle is open.
    error = errno == EWOULDBLOCK ? EBUSY : errno;
  }
  if (error != 0) {
    close(fd);
    FailWith(static_cast<DWORD>(error));
    return INVALID_HANDLE_VALUE;
  }
  if (fd < kHeldFiles) HeldPositions[fd] = {true, 0};
  return HandleFromFd(fd);
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, LPOVERLAPPED overlapped) {
  if (read != nullptr) *read = 0;
  HeldPosition at;
  if (overlapped != nullptr && !PositionOf(overlapped, toRead, &at)) return FALSE;
  if (InjectedFault(kFaultRead)) return FALSE;
  const int fd = FdFromHandle(file);
  if (fd < 0) return FailWith(EBADF);
  HeldPosition* held = overlapped != nullptr ? &at : HeldFor(fd);
  char* bytes = static_cast<char*>(buffer);
  DWORD done = 0;
  ssize_t n = 0;
  while (done < toRead) {
    n = ReadAt(fd, held, bytes + done, toRead - done, done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;  // an error, or the end of the file
    done += static_cast<DWORD>(n);
  }
  // The bytes delivered before a failure are passed, as the system's position would be.
  if (held != nullptr) held->position += done;
  if (overlapped != nullptr) FollowTransfer(fd, at);
  if (n < 0) return FailWithErrno();
  if (read != nullptr) *read = done;
  // At or past the end, a read at a named offset fails where one at the position
  // delivers nothing.
  if (overlapped != nullptr && done == 0 && toRead > 0) return FailWith(ERROR_HANDLE_EOF);
  return TRUE;
}

BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, LPDWORD written,
               LPOVERLAPPED overlapped) {
  if (written != nullptr) *written = 0;
  HeldPosition at;
  if (overlapped != nullptr && !PositionOf(overlapped, toWrite, &at)) return FALSE;
  if (InjectedFault(kFaultWrite)) return FALSE;
  const int fd = FdFromHandle(file);
  if (fd < 0) return FailWith(EBADF);
  HeldPosition* held = overlapped != nullptr ? &at : HeldFor(fd);
  const char* bytes = static_cast<const char*>(buffer);
  DWORD done = 0;
  ssize_t n = 0;
  while (done < toWrite) {
    n = WriteAt(fd, held, bytes + done, toWrite - done, done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) break;
    done += static_cast<DWORD>(n);
  }
  if (held != nullptr) held->position += done;
  if (overlapped != nullptr) FollowTransfer(fd, at);
  if (written != nullptr) *written = done;
  return n < 0 ? FailWithErrno() : TRUE;
}

DWORD SetFilePointer(HANDLE file, LONG distance, PLONG distanceHigh, DWORD method) {
  if (InjectedFault(kFaultSeek)) return INVALID_SET_FILE_POINTER;
  const int fd = FdFromHandle(file);
  if (fd < 0) {
    FailWith(EBADF);
    return INVALID_SET_FILE_POINTER;
  }
  // Without a high part the distance is a signed 32-bit number, as on Windows.
  const int64_t offset =
      distanceHigh != nullptr
          ? static_cast<int64_t>(
                (static_cast<uint64_t>(static_cast<uint32_t>(*distanceHigh)) << 32) |
                static_cast<uint32_t>(distance))
          : distance;
  const int whence = method == FILE_BEGIN ? SEEK_SET : method == FILE_CURRENT ? SEEK_CUR : SEEK_END;
  HeldPosition* held = HeldFor(fd);
  off_t position = 0;
  if (held != nullptr) {
    const int error = SeekHeld(fd, held, offset, whence, &position);
    if (error != 0) {
      FailWith(static_cast<DWORD>(error));
      return INVALID_SET_FILE_POINTER;
    }
  } else {
    position = lseek(fd, static_cast<off_t>(offset), whence);
    if (position < 0) {
      FailWithErrno();
      return INVALID_SET_FILE_POINTER;
    }
  }
  if (distanceHigh != nullptr) {
    *distanceHigh = static_cast<LONG>(static_cast<uint64_t>(position) >> 32);
  } else if (static_cast<uint64_t>(position) > 0xFFFFFFFFu) {
    FailWith(EOVERFLOW);  // the position does not fit the result alone
    return INVALID_SET_FILE_POINTER;
  }
  SetLastError(NO_ERROR);
  return static_cast<DWORD>(position);
}

BOOL CloseHandle(HANDLE handle) {
  const int fd = FdFromHandle(handle);
  if (fd < 0) return FailWith(EBADF);
  // The descriptor's number may come back for a file opened elsewhere.
  if (fd < kHeldFiles) HeldPositions[fd].held = false;
  // The lock goes with the descriptor.
  return close(fd) == 0 ? TRUE : FailWithErrno();
}
