// Files on Windows: opened by their wide name and shown in code page 866; each transfer
// at the offset its OVERLAPPED carries on a handle opened for synchronous use.
#include "platform/win32/win32.h"

namespace {

// The system's last error, for a call that failed.
PlatformError Failure() {
  const DWORD error = GetLastError();
  return error != 0 ? error : ERROR_GEN_FAILURE;
}

// Offsets within a file stay below 2^63, clear of the values that mean "at the end of
// the file" and "at the file position".
OVERLAPPED At(uint64_t offset) {
  OVERLAPPED at = {};
  at.Offset = static_cast<DWORD>(offset);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return at;
}

// The named stream of a file that holds the program's note: the file's name and this.
constexpr WCHAR kNoteStream[] = L":pelcor.resume";

// Whether the volume of the open file keeps named streams.
bool KeepsStreams(PlatformHandle file) {
  DWORD flags = 0;
  return GetVolumeInformationByHandleW(SystemHandle(file), nullptr, 0, nullptr, nullptr, &flags,
                                       nullptr, 0) &&
         (flags & FILE_NAMED_STREAMS) != 0;
}

// Opens the note's stream of the open file, or returns INVALID_HANDLE_VALUE. The stream is
// named from the path the system has for the open file, not from the name as typed: the
// system drops a typed name's trailing dots and blanks when it opens the file, but not
// before a stream's colon, so "letter.txt." with the stream appended would create another
// file, "letter.txt.", to hold it.
HANDLE OpenNote(PlatformHandle file, DWORD access, DWORD disposition) {
  const DWORD extra = sizeof kNoteStream / sizeof kNoteStream[0];
  const DWORD needed = GetFinalPathNameByHandleW(SystemHandle(file), nullptr, 0, 0);
  if (needed == 0) return INVALID_HANDLE_VALUE;
  WCHAR* wide = static_cast<WCHAR*>(LocalAlloc(LMEM_FIXED, (needed + extra) * sizeof(WCHAR)));
  if (wide == nullptr) return INVALID_HANDLE_VALUE;
  HANDLE stream = INVALID_HANDLE_VALUE;
  const DWORD length = GetFinalPathNameByHandleW(SystemHandle(file), wide, needed, 0);
  if (length != 0 && length < needed) {
    for (DWORD i = 0; i < extra; ++i)
      wide[length + i] = kNoteStream[i];
    stream = CreateFileW(wide, access, FILE_SHARE_READ, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
  }
  LocalFree(wide);
  return stream;
}

}  // namespace

namespace {

// Opens the file of the name (part of the command line: a terminated copy goes to the
// system) with the access and sharing given.
PlatformError OpenFile(PlatformName name, DWORD access, DWORD sharing, PlatformHandle* file) {
  const WCHAR* text = static_cast<const WCHAR*>(name.text);
  *file = kNoHandle;
  WCHAR* wide = static_cast<WCHAR*>(LocalAlloc(LMEM_FIXED, (name.length + 1) * sizeof(WCHAR)));
  if (wide == nullptr) return Failure();
  for (uint32_t i = 0; i < name.length; ++i)
    wide[i] = text[i];
  wide[name.length] = 0;
  HANDLE opened =
      CreateFileW(wide, access, sharing, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  PlatformError error = opened == INVALID_HANDLE_VALUE ? Failure() : 0;
  LocalFree(wide);
  // A device (NUL, CON, a port) or a pipe opens like a file but is none: it is closed
  // again untouched.
  if (error == 0 && GetFileType(opened) != FILE_TYPE_DISK) {
    CloseHandle(opened);
    opened = INVALID_HANDLE_VALUE;
    error = kErrorDevice;
  }
  *file = DoorHandle(opened);
  return error;
}

}  // namespace

PlatformError PlatformOpenForUpdate(PlatformName name, PlatformHandle* file) {
  return OpenFile(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, file);
}

PlatformError PlatformOpenForReading(PlatformName name, PlatformHandle* file) {
  return OpenFile(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, file);
}

namespace {

// The pattern, terminated for the system. A pattern comes from the command line, whose
// longest name is well below this.
constexpr uint32_t kPatternUnits = 8192;
WCHAR Pattern[kPatternUnits];

// The units of the pattern's folder: up to its last separator of a folder or a drive.
uint32_t FolderOf(PlatformName pattern) {
  const WCHAR* text = static_cast<const WCHAR*>(pattern.text);
  uint32_t folder = pattern.length;
  while (folder > 0 && text[folder - 1] != L'\\' && text[folder - 1] != L'/' &&
         text[folder - 1] != L':')
    --folder;
  return folder;
}

bool HasWildcards(PlatformName pattern, uint32_t folder) {
  const WCHAR* text = static_cast<const WCHAR*>(pattern.text);
  for (uint32_t i = folder; i < pattern.length; ++i) {
    if (text[i] == L'*' || text[i] == L'?') return true;
  }
  return false;
}

// Closes the listing: no file is left.
bool EndListing(PlatformMatches* matches) {
  FindClose(SystemHandle(matches->search));
  matches->search = kNoHandle;
  return false;
}

// The unit with an ASCII capital as its small letter, as the system compares names.
WCHAR Folded(WCHAR unit) {
  return unit >= L'A' && unit <= L'Z' ? static_cast<WCHAR>(unit - L'A' + L'a') : unit;
}

// Whether the terminated name matches the count units of the pattern: "*" stands for any
// run of units, "?" for any one, and ASCII letters match whatever their case. A final
// ".*" also takes a name without a dot, as the system's "*.*" takes every name.
bool NameMatches(const WCHAR* pattern, uint32_t count, const WCHAR* name) {
  constexpr uint32_t kNoStar = 0xFFFFFFFFu;
  uint32_t p = 0, n = 0, afterStar = kNoStar, starAt = 0;
  while (name[n] != 0) {
    if (p < count && pattern[p] == L'*') {
      afterStar = ++p;
      starAt = n;
    } else if (p < count && (pattern[p] == L'?' || Folded(pattern[p]) == Folded(name[n]))) {
      ++p, ++n;
    } else if (afterStar != kNoStar) {
      p = afterStar;
      n = ++starAt;
    } else {
      return false;
    }
  }
  while (p < count && pattern[p] == L'*')
    ++p;
  return p == count || (count - p == 2 && pattern[p] == L'.' && pattern[p + 1] == L'*');
}

// Whether the listing's entry is a file whose own name the pattern's last part matches:
// the system's listing also takes a name whose short 8.3 form alone matches, as "*.txt"
// takes "a.txtold" through "A~1.TXT".
bool Listed(const PlatformMatches* matches, const WIN32_FIND_DATAW* found) {
  const WCHAR* pattern = static_cast<const WCHAR*>(matches->pattern.text) + matches->folder;
  return (found->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
         NameMatches(pattern, matches->pattern.length - matches->folder, found->cFileName);
}

// Puts the first file of the listing from found on in hand, passing over folders and the
// names the pattern matches only in their short form: false when none is left, the
// listing then closed. Each name is the pattern's folder and the file's name, kept for
// the rest of the process as every name the door hands out.
bool TakeFile(PlatformMatches* matches, WIN32_FIND_DATAW* found) {
  while (!Listed(matches, found)) {
    if (!FindNextFileW(SystemHandle(matches->search), found)) return EndListing(matches);
  }
  const uint32_t length = static_cast<uint32_t>(lstrlenW(found->cFileName));
  WCHAR* name =
      static_cast<WCHAR*>(LocalAlloc(LMEM_FIXED, (matches->folder + length + 1) * sizeof(WCHAR)));
  if (name == nullptr) return EndListing(matches);
  const WCHAR* pattern = static_cast<const WCHAR*>(matches->pattern.text);
  for (uint32_t i = 0; i < matches->folder; ++i)
    name[i] = pattern[i];
  for (uint32_t i = 0; i <= length; ++i)
    name[matches->folder + i] = found->cFileName[i];
  matches->name = {name, matches->folder + length};
  return true;
}

}  // namespace

bool PlatformFirstMatch(PlatformName pattern, PlatformMatches* matches) {
  *matches = {kNoHandle, pattern, FolderOf(pattern), pattern};
  if (!HasWildcards(pattern, matches->folder) || pattern.length >= kPatternUnits) return true;
  const WCHAR* text = static_cast<const WCHAR*>(pattern.text);
  for (uint32_t i = 0; i < pattern.length; ++i)
    Pattern[i] = text[i];
  Pattern[pattern.length] = 0;
  WIN32_FIND_DATAW found;
  const HANDLE search = FindFirstFileW(Pattern, &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  matches->search = DoorHandle(search);
  return TakeFile(matches, &found);
}

bool PlatformNextMatch(PlatformMatches* matches) {
  if (matches->search == kNoHandle) return false;
  WIN32_FIND_DATAW found;
  if (!FindNextFileW(SystemHandle(matches->search), &found)) return EndListing(matches);
  return TakeFile(matches, &found);
}

void PlatformShowName(PlatformName name, char* out, uint32_t size) {
  // One unit gives at most one byte of code page 866; what it lacks shows as "?", never
  // as a look-alike that names another file.
  const uint32_t units = name.length < size - 1 ? name.length : size - 1;
  const int n = units == 0
                    ? 0
                    : WideCharToMultiByte(
                          866, WC_NO_BEST_FIT_CHARS, static_cast<const WCHAR*>(name.text),
                          static_cast<int>(units), out, static_cast<int>(size - 1), "?", nullptr);
  out[n > 0 ? n : 0] = 0;
}

PlatformError PlatformReadAt(PlatformHandle file, uint64_t offset, void* buffer, uint32_t size,
                             uint32_t* read) {
  OVERLAPPED at = At(offset);
  DWORD count = 0;
  const BOOL ok = ReadFile(SystemHandle(file), buffer, size, &count, &at);
  *read = ok ? count : 0;
  if (ok) return 0;
  // Where a read at the file position finds the end and delivers nothing, one that names
  // its offset fails with this error instead.
  const PlatformError error = Failure();
  return error == ERROR_HANDLE_EOF ? 0 : error;
}

PlatformError PlatformWriteAt(PlatformHandle file, uint64_t offset, const void* buffer,
                              uint32_t size, uint32_t* written) {
  OVERLAPPED at = At(offset);
  DWORD count = 0;
  const BOOL ok = WriteFile(SystemHandle(file), buffer, size, &count, &at);
  *written = count;
  return ok ? 0 : Failure();
}

PlatformError PlatformReadStream(PlatformHandle stream, void* buffer, uint32_t size,
                                 uint32_t* read) {
  *read = 0;
  while (*read < size) {
    DWORD count = 0;
    if (!ReadFile(SystemHandle(stream), static_cast<char*>(buffer) + *read, size - *read, &count,
                  nullptr)) {
      // A pipe whose writer has gone has ended. What was taken before a failure is gone
      // from the stream, and to be converted all the same.
      const PlatformError error = Failure();
      return error == ERROR_BROKEN_PIPE ? 0 : error;
    }
    if (count == 0) break;
    *read += count;
  }
  return 0;
}

PlatformError PlatformWriteStream(PlatformHandle stream, const void* buffer, uint32_t size,
                                  uint32_t* written) {
  *written = 0;
  while (*written < size) {
    DWORD count = 0;
    const BOOL ok = WriteFile(SystemHandle(stream), static_cast<const char*>(buffer) + *written,
                              size - *written, &count, nullptr);
    *written += count;
    if (!ok) return Failure();
    if (count == 0) return ERROR_WRITE_FAULT;  // or it would be tried for ever
  }
  return 0;
}

PlatformError PlatformClose(PlatformHandle file) {
  return CloseHandle(SystemHandle(file)) ? 0 : Failure();
}

PlatformError PlatformReadNote(PlatformHandle file, void* buffer, uint32_t size, uint32_t* read) {
  *read = 0;
  if (!KeepsStreams(file)) return ERROR_NOT_SUPPORTED;
  const HANDLE stream = OpenNote(file, GENERIC_READ, OPEN_EXISTING);
  if (stream == INVALID_HANDLE_VALUE) return Failure();
  DWORD count = 0;
  const PlatformError error = ReadFile(stream, buffer, size, &count, nullptr) ? 0 : Failure();
  CloseHandle(stream);
  *read = error == 0 ? count : 0;
  return error;
}

PlatformError PlatformWriteNote(PlatformHandle file, const void* note, uint32_t size) {
  // A write to any stream of a file is a change of the file: its time is set back to what
  // it was, and set by hand it stays so when the handle is closed.
  FILETIME written;
  if (!KeepsStreams(file)) return ERROR_NOT_SUPPORTED;
  if (!GetFileTime(SystemHandle(file), nullptr, nullptr, &written)) return Failure();
  const HANDLE stream = OpenNote(file, GENERIC_WRITE, CREATE_ALWAYS);
  if (stream == INVALID_HANDLE_VALUE) return Failure();
  DWORD count = 0;
  const BOOL ok = WriteFile(stream, note, size, &count, nullptr) && count == size;
  if (!CloseHandle(stream) || !ok) return ERROR_WRITE_FAULT;
  return SetFileTime(SystemHandle(file), nullptr, nullptr, &written) ? 0 : Failure();
}

void PlatformRemoveNote(PlatformHandle file) {
  if (!KeepsStreams(file)) return;
  // Deleting the stream's name takes the stream away and leaves the file.
  const HANDLE stream = OpenNote(file, DELETE, OPEN_EXISTING);
  if (stream == INVALID_HANDLE_VALUE) return;
  FILE_DISPOSITION_INFO gone = {TRUE};
  SetFileInformationByHandle(stream, FileDispositionInfo, &gone, sizeof gone);
  CloseHandle(stream);
}

PlatformError PlatformFileSize(PlatformHandle file, uint64_t* size) {
  LARGE_INTEGER length;
  if (!GetFileSizeEx(SystemHandle(file), &length)) return GetLastError();
  *size = static_cast<uint64_t>(length.QuadPart);
  return 0;
}

PlatformError PlatformFileIdentity(PlatformHandle file, PlatformFileId* id) {
  BY_HANDLE_FILE_INFORMATION information;
  if (!GetFileInformationByHandle(SystemHandle(file), &information)) return GetLastError();
  *id = {information.dwVolumeSerialNumber,
         uint64_t{information.nFileIndexHigh} << 32 | information.nFileIndexLow};
  return 0;
}

PlatformError PlatformFileStamp(PlatformHandle file, uint64_t* size, uint64_t* modified) {
  LARGE_INTEGER length;
  FILETIME written;
  if (!GetFileSizeEx(SystemHandle(file), &length) ||
      !GetFileTime(SystemHandle(file), nullptr, nullptr, &written))
    return Failure();
  *size = static_cast<uint64_t>(length.QuadPart);
  *modified = uint64_t{written.dwHighDateTime} << 32 | written.dwLowDateTime;
  return 0;
}
