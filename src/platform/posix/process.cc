// Process services: start-up, the arguments, the user's language, the last error and
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

namespace {

PlatformError lastError;
// The arguments after the program name, as the system gave them.
char** arguments;
uint32_t argumentCount;
const char* const kNoArguments = nullptr;

// Which of descriptors 0, 1 and 2 were closed when the process started.
bool closedAtStart[3];

// Opens /dev/null on each of descriptors 0, 1 and 2 that is closed. Otherwise the file
// opened for conversion could take the number of the console: its bytes read as answers,
// the report written into it. The door hands out no handle for such a stream.
void HoldStandardDescriptors() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) >= 0 || errno != EBADF) continue;
    closedAtStart[fd] = true;
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

// Whether a locale ("ru_RU.UTF-8" names RU) names a territory whose calling code is 7,
// Russia or Kazakhstan, as a Russian Windows has the country code 7.
bool NamesTerritoryOfSeven(const char* locale) {
  const char* underscore = locale != nullptr ? strchr(locale, '_') : nullptr;
  if (underscore == nullptr || strcspn(underscore + 1, ".@") != 2) return false;
  const char* territory = underscore + 1;
  return strncasecmp(territory, "RU", 2) == 0 || strncasecmp(territory, "KZ", 2) == 0;
}

}  // namespace

bool ClosedAtStart(int fd) {
  return fd >= 0 && fd <= 2 && closedAtStart[fd];
}

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

  argumentCount = argc > 1 ? static_cast<uint32_t>(argc - 1) : 0;
  arguments = argc > 1 ? argv + 1 : nullptr;
}

const char* const* PlatformArguments(uint32_t* count) {
  *count = argumentCount;
  return arguments != nullptr ? arguments : &kNoArguments;
}

PlatformName PlatformArgumentName(uint32_t index) {
  // Names are bytes, opened as they are and never converted.
  const char* name = index < argumentCount ? arguments[index] : "";
  return {name, static_cast<uint32_t>(strlen(name))};
}

const char* PlatformCommandLine() {
  return nullptr;  // the arguments come one by one
}

PlatformName PlatformCommandLineName(uint32_t, uint32_t) {
  return {"", 0};
}

void PlatformExit(uint8_t code) {
  RestoreTerminal();
  EndConsoleLine();
  exit(code);
}
