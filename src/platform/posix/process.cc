// Process services: the command line, the standard handles, the last error, exit and
// the local heap.
#include <errno.h>
#include <locale.h>
#include <stdlib.h>
#include <string.h>

#include "platform/posix/posix_layer.h"

namespace {

DWORD lastError;
char* commandLine;

// A byte that code page 1251 leaves unassigned: it stands for every character of an
// argument that the code page cannot hold, and no file name converts from it.
constexpr char kUnmappable = '\x98';

// The command-line tail is found by skipping the quoted program name, whose closing quote
// is looked for in the first 512 bytes after the opening one. Windows never puts a double
// quote in that name; a POSIX path may hold one, or be longer. Either would leave part of
// the path in the tail, so such a name is given by a stand-in: nothing else reads it.
constexpr size_t kLongestProgramName = 511;

const char* ProgramName(int argc, char** argv) {
  if (argc < 1) return "pelcor";
  const char* name = argv[0];
  // Code page 1251 takes at most as many bytes as the user's charset, so the length
  // checked here bounds the converted one.
  if (strchr(name, '"') != nullptr || strlen(name) > kLongestProgramName) return "pelcor";
  return name;
}

}  // namespace

BOOL FailWith(DWORD error) {
  lastError = error;
  return FALSE;
}

BOOL FailWithErrno() {
  return FailWith(static_cast<DWORD>(errno));
}

DWORD GetLastError() {
  return lastError;
}
void SetLastError(DWORD error) {
  lastError = error;
}

void PlatformStart(int argc, char** argv) {
  // The C library's messages in the user's language, where it has them.
  setlocale(LC_ALL, "");

  // The command line as Windows gives it: the program name in double quotes, then each
  // argument after one space, in code page 1251.
  const char* program = ProgramName(argc, argv);
  size_t length = strlen(program) + 2;
  for (int i = 1; i < argc; ++i)
    length += strlen(argv[i]) + 1;
  char* utf = static_cast<char*>(malloc(length + 1));
  free(commandLine);  // a second start replaces the first one's line
  commandLine = static_cast<char*>(malloc(length + 1));
  if (utf == nullptr || commandLine == nullptr) abort();
  char* p = utf;
  *p++ = '"';
  p = stpcpy(p, program);
  *p++ = '"';
  for (int i = 1; i < argc; ++i) {
    *p++ = ' ';
    p = stpcpy(p, argv[i]);
  }
  // Code page 1251 needs no more bytes than any charset for the same characters, but a
  // replaced invalid byte takes one byte too, so the length is an upper bound.
  const size_t n = ConvertCharset(kCharsetAnsi, kCharsetUser, utf, static_cast<size_t>(p - utf),
                                  commandLine, length, &kUnmappable, 1, nullptr);
  commandLine[n] = 0;
  free(utf);
}

LPSTR GetCommandLineA() {
  static char empty[] = "";
  return commandLine != nullptr ? commandLine : empty;
}

HANDLE GetStdHandle(DWORD which) {
  if (which == STD_INPUT_HANDLE) return HandleFromFd(0);
  if (which == STD_OUTPUT_HANDLE) return HandleFromFd(1);
  FailWith(EINVAL);
  return INVALID_HANDLE_VALUE;
}

void ExitProcess(UINT exitCode) {
  RestoreTerminal();
  exit(static_cast<int>(exitCode));
}

HLOCAL LocalAlloc(UINT flags, SIZE_T bytes) {
  (void)flags;  // only fixed memory is asked for
  void* memory = malloc(bytes != 0 ? bytes : 1);
  if (memory == nullptr) FailWithErrno();
  return memory;
}

HLOCAL LocalFree(HLOCAL memory) {
  free(memory);
  return nullptr;
}
