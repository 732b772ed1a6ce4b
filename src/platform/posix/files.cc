// Files: existing regular files, named by their bytes, opened for update, locked for the
// whole run, with whole transfers at 64-bit offsets; and names as reports show them.
#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include "platform/posix/posix.h"

namespace {

// Why a file of this type is not converted, or 0 for a regular file. A stream cannot be
// rewritten in place, and opening a device may already act on it.
int RefusalOf(mode_t mode) {
  if (S_ISREG(mode)) return 0;
  if (S_ISDIR(mode)) return EISDIR;
  if (S_ISFIFO(mode) || S_ISSOCK(mode)) return static_cast<int>(kErrorStream);
  return static_cast<int>(kErrorDevice);
}

// Locks the whole file for writing with a record lock of the open file description:
// unlike a process's own record locks, no close of another descriptor of the file can
// drop it, and it conflicts with the record locks of every other process all the same.
// Returns 0, EBUSY while another process holds a lock on any part, or the error.
int LockRecords(int fd) {
  struct flock whole = {};
  whole.l_type = F_WRLCK;
  whole.l_whence = SEEK_SET;  // from offset 0 to the end, however far it grows
#if defined(F_OFD_SETLK)
  const int command = F_OFD_SETLK;
#else
  // A lock of the process instead: the program opens no other descriptor of the file.
  const int command = F_SETLK;
#endif
  if (fcntl(fd, command, &whole) == 0) return 0;
  return errno == EAGAIN || errno == EACCES ? EBUSY : errno;
}

// Makes the descriptor's transfers wait again. Returns 0 or the error.
int Unblock(int fd) {
  const int flags = fcntl(fd, F_GETFL);
  return flags >= 0 && fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0 ? 0 : errno;
}

// Locks the file against a second writer, such as another run on the same file, for as
// long as it is open: with flock, and with a record lock, as other programs take either.
// Returns 0 or the error.
int Lock(int fd) {
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) return errno == EWOULDBLOCK ? EBUSY : errno;
  return LockRecords(fd);
}

// Moves size bytes at offset, going on after interrupted and short transfers, and
// returns how many moved; *error is 0 or the reason it stopped short. A read stops at
// the end of the file; a write that moves nothing and names no error has failed (EIO),
// or it would be tried for ever.
uint32_t TransferAll(int fd, bool writing, char* bytes, uint32_t size, uint64_t offset,
                     int* error) {
  uint32_t done = 0;
  *error = 0;
  while (done < size) {
    const off_t at = static_cast<off_t>(offset + done);
    const ssize_t n = writing ? pwrite(fd, bytes + done, size - done, at)
                              : pread(fd, bytes + done, size - done, at);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) *error = errno;
    if (n == 0 && writing) *error = EIO;
    if (n <= 0) break;
    done += static_cast<uint32_t>(n);
  }
  return done;
}

// Whether a handle can be a descriptor at all.
bool IsDescriptor(PlatformHandle file) {
  return file >= 0 && file <= INT32_MAX;
}

// Whether a transfer of size bytes at offset lies within what the system can address.
bool Addressable(uint64_t offset, uint32_t size) {
  return offset <= static_cast<uint64_t>(INT64_MAX) - size;
}

}  // namespace

namespace {

// Why the file at path is not to be opened: anything but a regular file is refused
// before it is opened, since opening a device can act on it. 0 for none.
int RefusalOfPath(const char* path) {
  struct stat status;
  return stat(path, &status) == 0 ? RefusalOf(status.st_mode) : 0;
}

// Refuses what the open descriptor turned out to be (the name may have changed hands
// since it was looked at), makes its transfers wait and, for an update, locks it. 0 or
// the error.
int Admit(int fd, bool update) {
  struct stat status;
  int error = fstat(fd, &status) != 0 ? errno : RefusalOf(status.st_mode);
  if (error == 0) error = Unblock(fd);
  return error != 0 || !update ? error : Lock(fd);
}

// Opens the file the name's bytes, terminated, spell as they are: for reading and writing
// and locked for an update, otherwise for reading.
PlatformError OpenFile(PlatformName name, bool update, PlatformHandle* file) {
  const char* path = static_cast<const char*>(name.text);
  *file = kNoHandle;
  int error = RefusalOfPath(path);
  if (error != 0) return static_cast<PlatformError>(error);
  // Without O_NONBLOCK a FIFO would wait here for a peer; it is refused below anyway.
  const int fd = open(path, (update ? O_RDWR : O_RDONLY) | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return static_cast<PlatformError>(errno);
  error = Admit(fd, update);
  if (error != 0) {
    close(fd);
    return static_cast<PlatformError>(error);
  }
  *file = fd;
  return 0;
}

}  // namespace

PlatformError PlatformOpenForUpdate(PlatformName name, PlatformHandle* file) {
  return OpenFile(name, true, file);
}

PlatformError PlatformOpenForReading(PlatformName name, PlatformHandle* file) {
  return OpenFile(name, false, file);
}

bool PlatformFirstMatch(PlatformName pattern, PlatformMatches* matches) {
  // The shell has expanded the wildcards: every name stands for itself.
  *matches = {kNoHandle, pattern, 0, pattern};
  return true;
}

bool PlatformNextMatch(PlatformMatches* matches) {
  (void)matches;
  return false;
}

PlatformError PlatformReadAt(PlatformHandle file, uint64_t offset, void* buffer, uint32_t size,
                             uint32_t* read) {
  *read = 0;
  if (!Addressable(offset, size)) return EINVAL;
  int error;
  const uint32_t done =
      TransferAll(static_cast<int>(file), false, static_cast<char*>(buffer), size, offset, &error);
  if (error == 0) *read = done;  // nothing read counts after a failure
  return static_cast<PlatformError>(error);
}

PlatformError PlatformWriteAt(PlatformHandle file, uint64_t offset, const void* buffer,
                              uint32_t size, uint32_t* written) {
  *written = 0;
  if (!Addressable(offset, size)) return EINVAL;
  int error;
  // Only read from when writing.
  *written = TransferAll(static_cast<int>(file), true,
                         static_cast<char*>(const_cast<void*>(buffer)), size, offset, &error);
  return static_cast<PlatformError>(error);
}

PlatformError PlatformReadStream(PlatformHandle stream, void* buffer, uint32_t size,
                                 uint32_t* read) {
  char* bytes = static_cast<char*>(buffer);
  *read = 0;
  while (*read < size) {
    const ssize_t n = ::read(static_cast<int>(stream), bytes + *read, size - *read);
    if (n < 0 && errno == EINTR) continue;
    // What was taken before a failure is gone from the stream, and converted all the same.
    if (n < 0) return static_cast<PlatformError>(errno);
    if (n == 0) break;  // the end of the stream
    *read += static_cast<uint32_t>(n);
  }
  return 0;
}

PlatformError PlatformWriteStream(PlatformHandle stream, const void* buffer, uint32_t size,
                                  uint32_t* written) {
  const char* bytes = static_cast<const char*>(buffer);
  *written = 0;
  while (*written < size) {
    const ssize_t n = ::write(static_cast<int>(stream), bytes + *written, size - *written);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return static_cast<PlatformError>(errno);
    if (n == 0) return EIO;  // or it would be tried for ever
    *written += static_cast<uint32_t>(n);
  }
  return 0;
}

PlatformError PlatformClose(PlatformHandle file) {
  if (!IsDescriptor(file)) return EBADF;
  // The locks go with the descriptor. The descriptor is gone even when close reports a
  // failure (data that did not reach the disk), so it is never closed twice.
  return close(static_cast<int>(file)) == 0 ? 0 : static_cast<PlatformError>(errno);
}

PlatformError PlatformFileSize(PlatformHandle file, uint64_t* size) {
  // The end of the file, without the path lookup of a stat: the transfers name their
  // offsets, so where this leaves the file position matters to none of them.
  if (!IsDescriptor(file)) return EBADF;
  const off_t end = lseek(static_cast<int>(file), 0, SEEK_END);
  if (end < 0) return static_cast<PlatformError>(errno);
  *size = static_cast<uint64_t>(end);
  return 0;
}

PlatformError PlatformFileIdentity(PlatformHandle file, PlatformFileId* id) {
  struct stat status;
  if (!IsDescriptor(file)) return EBADF;
  if (fstat(static_cast<int>(file), &status) != 0) return static_cast<PlatformError>(errno);
  *id = {static_cast<uint64_t>(status.st_dev), static_cast<uint64_t>(status.st_ino)};
  return 0;
}

PlatformError PlatformFileStamp(PlatformHandle file, uint64_t* size, uint64_t* modified) {
  struct stat status;
  if (!IsDescriptor(file)) return EBADF;
  if (fstat(static_cast<int>(file), &status) != 0) return static_cast<PlatformError>(errno);
  *size = static_cast<uint64_t>(status.st_size);
  *modified = static_cast<uint64_t>(status.st_mtim.tv_sec) * 1000000000u +
              static_cast<uint64_t>(status.st_mtim.tv_nsec);
  return 0;
}

namespace {

// The extended attribute that holds the program's note on a file.
constexpr char kNoteAttribute[] = "user.pelcor.resume";

}  // namespace

PlatformError PlatformReadNote(PlatformHandle file, void* buffer, uint32_t size, uint32_t* read) {
  *read = 0;
  if (!IsDescriptor(file)) return EBADF;
  const ssize_t length = fgetxattr(static_cast<int>(file), kNoteAttribute, buffer, size);
  if (length < 0) return static_cast<PlatformError>(errno);
  *read = static_cast<uint32_t>(length);
  return 0;
}

PlatformError PlatformWriteNote(PlatformHandle file, const void* note, uint32_t size) {
  if (!IsDescriptor(file)) return EBADF;
  const int done = fsetxattr(static_cast<int>(file), kNoteAttribute, note, size, 0);
  return done == 0 ? 0 : static_cast<PlatformError>(errno);
}

void PlatformRemoveNote(PlatformHandle file) {
  if (IsDescriptor(file)) fremovexattr(static_cast<int>(file), kNoteAttribute);
}

void PlatformShowName(PlatformName name, char* out, uint32_t size) {
  // A control character would act on the terminal, or break the report's line.
  const size_t n = ConvertCharset(kCharsetOem, kCharsetUser, static_cast<const char*>(name.text),
                                  name.length, out, size - 1, "?", 1, nullptr);
  for (size_t i = 0; i < n; ++i) {
    if (static_cast<unsigned char>(out[i]) < 0x20 || out[i] == 0x7F) out[i] = '?';
  }
  out[n] = 0;
}
