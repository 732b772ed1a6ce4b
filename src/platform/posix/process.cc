// Process services: start-up, the command line, the user's language, the last error and
// the end of the process.
#include <errno.h>
#include <fcntl.h>
#include <locale.h>
#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <unistd.h>

#include "platform/posix/posix.h"
#include "text/strings.h"  // the switch word, found by the tool's own search

namespace {

PlatformError lastError;
char* commandLine;

// A byte that code page 1251 leaves unassigned: it stands for every character of an
// argument that the code page cannot hold, and no file name converts from it.
constexpr char kUnmappable = '\x98';

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

// Where the tool finds the file name in the arguments: from the first argument that is
// not empty up to the first "/866" (or else "/1251") that starts a word. Enclosed: the
// name, as the shell gave it, loses something to the tool unless it is put in double
// quotes: blanks at either end, which the tool trims, or double quotes of its own at
// both ends, which the tool drops.
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

// joint marks each space that was put between two arguments, as distinct from the
// blanks the arguments hold.
NameRange FileNameIn(char* arguments, const char* joint) {
  NameRange name = {0, 0, false};
  while (joint[name.begin])
    ++name.begin;
  char* tail = arguments + name.begin;
  size_t end = SwitchWordAt(tail, "/866");
  if (tail[end] == 0) end = SwitchWordAt(tail, "/1251");
  if (tail[end] != 0 && end > 0 && !joint[name.begin + end - 1]) {
    // A switch inside an argument: the tool cuts the spaces before it off the name.
    while (end > 0 && tail[end - 1] == ' ')
      --end;
  } else {
    // Only the spaces between arguments come off: before the switch and after the last
    // argument, and those of empty arguments.
    while (end > 0 && joint[name.begin + end - 1])
      --end;
  }
  name.end = name.begin + end;
  name.enclosed = end > 0 && (IsBlank(tail[0]) || IsBlank(tail[end - 1]) ||
                              (end >= 2 && tail[0] == '"' && tail[end - 1] == '"'));
  return name;
}

// Whether a locale ("ru_RU.UTF-8" names RU) names a territory whose calling code is 7,
// Russia or Kazakhstan, as a Russian Windows has the country code 7.
bool NamesTerritoryOfSeven(const char* locale) {
  const char* underscore = locale != nullptr ? strchr(locale, '_') : nullptr;
  if (underscore == nullptr || strcspn(underscore + 1, ".@") != 2) return false;
  const char* territory = underscore + 1;
  return strncasecmp(territory, "RU", 2) == 0 || strncasecmp(territory, "KZ", 2) == 0;
}

}  // namespace

const PlatformError kErrorNameTooLong = ENAMETOOLONG;

bool FailWith(int error) {
  lastError = static_cast<PlatformError>(error);
  return false;
}

bool FailWithErrno() {
  return FailWith(errno);
}

PlatformError PlatformLastError() {
  return lastError;
}

void PlatformSetLastError(PlatformError error) {
  lastError = error;
}

bool PlatformUserReadsRussian() {
  return NamesTerritoryOfSeven(UserLocaleName(LC_MESSAGES));
}

void PlatformStart(int argc, char** argv) {
  HoldStandardDescriptors();
  // A write past the file-size limit then fails with EFBIG and is reported, where the
  // signal would end the process without a word, perhaps in the middle of a block.
  signal(SIGXFSZ, SIG_IGN);
  // A reader of the output that goes away (`| head -1`) leaves the writes to it failing,
  // and dropped, while the file is converted all the same.
  signal(SIGPIPE, SIG_IGN);
  // The C library's messages in the user's language and charset, where it has them.
  TakeUsersLocale();
  // Without every conversion the program needs there is nothing it could show or open.
  RequireConversions();

  // The arguments, each after one space, in code page 1251. Code page 1251 needs no more
  // bytes than any charset for the same characters, and a replaced byte takes one byte.
  size_t bytes = 0;
  for (int i = 1; i < argc; ++i)
    bytes += strlen(argv[i]) + 1;
  char* arguments = static_cast<char*>(malloc(bytes + 1));
  char* joint = static_cast<char*>(calloc(bytes + 1, 1));
  if (arguments == nullptr || joint == nullptr) abort();
  size_t length = 0;
  for (int i = 1; i < argc; ++i) {
    joint[length] = 1;
    arguments[length++] = ' ';
    length += ConvertCharset(kCharsetAnsi, kCharsetUser, argv[i], strlen(argv[i]),
                             arguments + length, bytes - length, &kUnmappable, 1, nullptr);
  }
  arguments[length] = 0;

  // The command line as Windows gives it, after a program name in double quotes that
  // nothing reads: a path of the user's could hold a quote, or be longer than the tail's
  // scan for the closing one.
  const NameRange name = FileNameIn(arguments, joint);
  free(joint);
  free(commandLine);  // a second start replaces the first one's line
  commandLine = static_cast<char*>(malloc(bytes + 11));
  if (commandLine == nullptr) abort();
  char* p = stpcpy(commandLine, "\"pelcor\"");
  if (name.enclosed) {
    // Within double quotes, which the tool drops, the name keeps its blanks and quotes
    // of its own.
    p = static_cast<char*>(mempcpy(p, arguments, name.begin));
    *p++ = '"';
    p = static_cast<char*>(mempcpy(p, arguments + name.begin, name.end - name.begin));
    *p++ = '"';
  }
  stpcpy(p, arguments + (name.enclosed ? name.end : 0));
  free(arguments);
}

const char* PlatformCommandLine() {
  return commandLine != nullptr ? commandLine : "";
}

void PlatformExit(uint8_t code) {
  RestoreTerminal();
  EndConsoleLine();
  exit(code);
}
