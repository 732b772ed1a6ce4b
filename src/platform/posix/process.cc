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

// Text of the user's charset in code page 1251, in a new terminated buffer. Code page
// 1251 needs no more bytes than any charset for the same characters, and a replaced
// invalid byte takes one byte too, so the length is an upper bound.
char* ToAnsi(const char* text, size_t length) {
  char* ansi = static_cast<char*>(malloc(length + 1));
  if (ansi == nullptr) abort();
  const size_t n = length == 0 ? 0
                               : ConvertCharset(kCharsetAnsi, kCharsetUser, text, length, ansi,
                                                length, &kUnmappable, 1, nullptr);
  ansi[n] = 0;
  return ansi;
}

// Where the tool finds the file name in the arguments: after the leading blanks, up to
// the spaces before the first "/866" (or else "/1251") that starts a word. Enclosed: the
// name begins and ends with a double quote, which the tool would remove.
struct NameRange {
  size_t begin;
  size_t end;
  bool enclosed;
};

// Where the switch word starts, by the tool's own search, or the end of the text.
size_t SwitchWordAt(char* text, const char* word) {
  const char* found = StrFindWordStart(text, word);
  return found != nullptr ? static_cast<size_t>(found - text) : strlen(text);
}

NameRange FileNameIn(char* arguments) {
  NameRange name = {0, 0, false};
  while (arguments[name.begin] == ' ' || arguments[name.begin] == '\t')
    ++name.begin;
  char* tail = arguments + name.begin;
  size_t end = SwitchWordAt(tail, "/866");
  if (tail[end] == 0) end = SwitchWordAt(tail, "/1251");
  while (end > 0 && tail[end - 1] == ' ')
    --end;
  name.end = name.begin + end;
  name.enclosed = end >= 2 && tail[0] == '"' && tail[end - 1] == '"';
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
  size_t argumentBytes = 0;
  for (int i = 1; i < argc; ++i)
    argumentBytes += strlen(argv[i]) + 1;
  char* joined = static_cast<char*>(malloc(argumentBytes + 1));
  if (joined == nullptr) abort();
  char* p = joined;
  for (int i = 1; i < argc; ++i) {
    *p++ = ' ';
    p = stpcpy(p, argv[i]);
  }
  char* programAnsi = ToAnsi(program, strlen(program));
  char* arguments = ToAnsi(joined, argumentBytes);
  free(joined);

  const NameRange name = FileNameIn(arguments);
  const size_t programLength = strlen(programAnsi);
  const size_t argumentLength = strlen(arguments);
  free(commandLine);  // a second start replaces the first one's line
  commandLine = static_cast<char*>(malloc(programLength + argumentLength + 5));
  if (commandLine == nullptr) abort();
  p = commandLine;
  *p++ = '"';
  p = stpcpy(p, programAnsi);
  *p++ = '"';
  if (name.enclosed) {
    // The tool drops the quotes that enclose a name: one more pair keeps the user's own.
    p = static_cast<char*>(mempcpy(p, arguments, name.begin));
    *p++ = '"';
    p = static_cast<char*>(mempcpy(p, arguments + name.begin, name.end - name.begin));
    *p++ = '"';
    p = stpcpy(p, arguments + name.end);
  } else {
    p = stpcpy(p, arguments);
  }
  free(programAnsi);
  free(arguments);
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
