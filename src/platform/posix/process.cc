// Process services: the command line, the standard handles, the last error, exit and
// the local heap.
#include <errno.h>
#include <fcntl.h>
#include <locale.h>
#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

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

// Opens /dev/null on each of descriptors 0, 1 and 2 that is closed. Otherwise the file
// opened for conversion could take the number of the console: its bytes read as answers,
// the report written into it. A closed input then ends at once (Abort); text written to
// a closed output is lost.
void HoldStandardDescriptors() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) >= 0 || errno != EBADF) continue;
    // The lowest free number is fd itself, the lower ones being open.
    const int opened = open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
    if (opened != fd) {
      if (opened >= 0) close(opened);
      _exit(1);  // nothing can be shown anywhere, and nothing has been touched
    }
  }
}

// The locale the user asked for. A category the system lacks stays C, and the others
// still take the user's.
void TakeUsersLocale() {
  if (setlocale(LC_ALL, "") != nullptr) return;
  setlocale(LC_CTYPE, "");
  setlocale(LC_MESSAGES, "");
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
  HoldStandardDescriptors();
  // A write past the file-size limit then fails with EFBIG and is reported, where the
  // signal would end the process without a word, perhaps in the middle of a block.
  signal(SIGXFSZ, SIG_IGN);
  // The C library's messages in the user's language and charset, where it has them.
  TakeUsersLocale();
  // Without every conversion the program needs there is nothing it could show or open.
  RequireConversions();

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
