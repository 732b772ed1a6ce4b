// Files: existing regular files opened for update, locked for the whole run, with whole
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

// The fault that a test has planned for this call of a service, if any.
const FileFault* DueFault(FaultedCall call) {
  FileFault& fault = PlatformSeams.fileFaults[call];
  const uint32_t number = ++fault.calls;
  if (fault.failFrom == 0 || number < fault.failFrom ||
      number - fault.failFrom >= fault.failCount) {
    return nullptr;
  }
  return &fault;
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

// What a test planned for the next system transfer: true when the plan answers the call
// (with result, and errno set), otherwise the size is capped as planned.
bool PlannedTransfer(size_t* size, ssize_t* result) {
  TransferPlan& plan = PlatformSeams.transfers;
  if (plan.interruptions > 0) {
    --plan.interruptions;
    errno = EINTR;
    *result = -1;
    return true;
  }
  if (plan.stalls > 0) {
    --plan.stalls;
    *result = 0;
    return true;
  }
  if (plan.most != 0 && *size > plan.most) *size = plan.most;
  return false;
}

// One transfer at the held position (which the caller moves on) or at the system's.
ssize_t ReadAt(int fd, const HeldPosition* held, char* bytes, size_t size, DWORD done) {
  ssize_t result;
  if (PlannedTransfer(&size, &result)) return result;
  return held != nullptr ? pread(fd, bytes, size, held->position + done) : read(fd, bytes, size);
}

ssize_t WriteAt(int fd, const HeldPosition* held, const char* bytes, size_t size, DWORD done) {
  ssize_t result;
  if (PlannedTransfer(&size, &result)) return result;
  return held != nullptr ? pwrite(fd, bytes, size, held->position + done) : write(fd, bytes, size);
}

// Moves size bytes at the held position (or the system's, without one), going on after
// interrupted and short transfers, and returns how many moved; *error is 0 or the reason
// it stopped short. A read stops at the end of the file; a write that moves nothing and
// names no error has failed (EIO), or it would be tried for ever. The bytes moved are
// passed, as the system's position would be.
DWORD TransferAll(int fd, HeldPosition* held, bool writing, char* bytes, DWORD size, int* error) {
  DWORD done = 0;
  *error = 0;
  while (done < size) {
    const ssize_t n = writing ? WriteAt(fd, held, bytes + done, size - done, done)
                              : ReadAt(fd, held, bytes + done, size - done, done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) *error = errno;
    if (n == 0 && writing) *error = EIO;
    if (n <= 0) break;
    done += static_cast<DWORD>(n);
  }
  if (held != nullptr) held->position += done;
  return done;
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
  if (const FileFault* fault = DueFault(kFaultSeek)) {
    FailWith(fault->error);
    return false;
  }
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

// The transfer of ReadFile (call kFaultRead) or WriteFile (kFaultWrite): at the offset
// the OVERLAPPED names, or else at the file position, with any fault a test planned for
// the call. *done receives the bytes moved, also when the transfer then fails.
BOOL Transfer(HANDLE file, FaultedCall call, char* bytes, DWORD size, LPOVERLAPPED overlapped,
              DWORD* done) {
  *done = 0;
  HeldPosition at;
  if (overlapped != nullptr && !PositionOf(overlapped, size, &at)) return FALSE;
  const FileFault* fault = DueFault(call);
  if (fault != nullptr && fault->movedFirst == 0) return FailWith(fault->error);
  const int fd = FdFromHandle(file);
  if (fd < 0) return FailWith(EBADF);
  int error = 0;
  const DWORD limit = fault != nullptr && fault->movedFirst < size ? fault->movedFirst : size;
  *done = TransferAll(fd, overlapped != nullptr ? &at : HeldFor(fd), call == kFaultWrite, bytes,
                      limit, &error);
  if (overlapped != nullptr) FollowTransfer(fd, at);
  if (fault != nullptr) return FailWith(fault->error);
  return error != 0 ? FailWith(static_cast<DWORD>(error)) : TRUE;
}

// The name in the user's charset, or the error that stops the open. A character that
// the charset cannot hold, or one that stood for an unconvertible character on the
// command line (U+FFFD), fails it: a name is never bent into the name of another file.
int NativeName(LPCWSTR name, char* out, size_t size) {
  const size_t length = StrLength(name);
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

// What a failed open of a file that is not a regular one tells: such a file cannot be
// rewritten in place, and opening a device may already act on it.
#if defined(EFTYPE)
constexpr int kNotARegularFile = EFTYPE;  // "Inappropriate file type or format"
#elif defined(EMEDIUMTYPE)
constexpr int kNotARegularFile = EMEDIUMTYPE;  // "Wrong medium type"
#else
constexpr int kNotARegularFile = ENOTSUP;
#endif

// Why a file of this type is not converted, or 0 for a regular file.
int RefusalOf(mode_t mode) {
  if (S_ISREG(mode)) return 0;
  if (S_ISDIR(mode)) return EISDIR;
  if (S_ISFIFO(mode) || S_ISSOCK(mode)) return ESPIPE;  // a stream cannot be rewritten
  return kNotARegularFile;                              // devices above all
}

// Makes the descriptor's transfers wait again, and locks the file against a second
// writer unless the share mode lets one in. Returns 0 or the error.
int Prepare(int fd, DWORD access, DWORD shareMode) {
  const int flags = fcntl(fd, F_GETFL);
  if (flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) return errno;
  // Sharing only for reading: a second writer, such as another run on the same file, is
  // refused for as long as this handle is open.
  if ((access & GENERIC_WRITE) != 0 && (shareMode & FILE_SHARE_WRITE) == 0 &&
      flock(fd, LOCK_EX | LOCK_NB) != 0) {
    return errno == EWOULDBLOCK ? EBUSY : errno;
  }
  return 0;
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
  if (const FileFault* fault = DueFault(kFaultOpen)) {
    FailWith(fault->error);
    return INVALID_HANDLE_VALUE;
  }
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
  // Anything but a regular file is refused before it is opened, since opening a device
  // can act on it, and once more after: the name may have changed hands in between.
  struct stat status;
  int error = stat(path, &status) == 0 ? RefusalOf(status.st_mode) : 0;
  if (error != 0) {
    FailWith(static_cast<DWORD>(error));
    return INVALID_HANDLE_VALUE;
  }
  // Without O_NONBLOCK a FIFO would wait here for a peer; it is refused below anyway.
  const int fd = open(path, OpenFlags(access) | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    FailWithErrno();
    return INVALID_HANDLE_VALUE;
  }
  error = fstat(fd, &status) != 0 ? errno : RefusalOf(status.st_mode);
  if (error == 0) error = Prepare(fd, access, shareMode);
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
  DWORD done;
  if (!Transfer(file, kFaultRead, static_cast<char*>(buffer), toRead, overlapped, &done)) {
    return FALSE;  // the count stays 0: nothing read counts after a failure
  }
  if (read != nullptr) *read = done;
  // At or past the end, a read at a named offset fails where one at the position
  // delivers nothing.
  if (overlapped != nullptr && done == 0 && toRead > 0) return FailWith(ERROR_HANDLE_EOF);
  return TRUE;
}

BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, LPDWORD written,
               LPOVERLAPPED overlapped) {
  DWORD done;
  // Transfer only reads from the bytes when it writes.
  const BOOL ok = Transfer(file, kFaultWrite, static_cast<char*>(const_cast<void*>(buffer)),
                           toWrite, overlapped, &done);
  if (written != nullptr) *written = done;  // also what a failed write moved
  return ok;
}

DWORD SetFilePointer(HANDLE file, LONG distance, PLONG distanceHigh, DWORD method) {
  if (const FileFault* fault = DueFault(kFaultSeek)) {
    FailWith(fault->error);
    return INVALID_SET_FILE_POINTER;
  }
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
  const FileFault* fault = DueFault(kFaultClose);
  // The lock goes with the descriptor. The descriptor is gone even when close reports a
  // failure (data that did not reach the disk), so it is never closed twice.
  const int result = close(fd);
  if (fault != nullptr) return FailWith(fault->error);
  return result == 0 ? TRUE : FailWithErrno();
}
