// Process services: start-up, the command, the user's language and the end of the
// process.
#include <errno.h>
#include <fcntl.h>
#include <locale.h>
#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <time.h>
#include <unistd.h>

#include "platform/posix/posix.h"

namespace {

// Stands in for the words of a command without arguments.
const char* const kNoArguments[1] = {nullptr};

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
const PlatformError kErrorNoMatch = ENOENT;

PlatformError PlatformLastError() {
  return static_cast<PlatformError>(errno);
}

bool PlatformUserReadsRussian() {
  return NamesTerritoryOfSeven(UserLocaleName(LC_MESSAGES));
}

PlatformCommand PlatformStart(int argc, char** argv) {
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

  // The arguments after the program name, as the system gave them, one by one.
  if (argc < 2) return {kCommandArguments, 0, kNoArguments};
  return {kCommandArguments, static_cast<uint32_t>(argc - 1), argv + 1};
}

PlatformName PlatformCommandName(const PlatformCommand& command, uint32_t word, uint32_t begin,
                                 uint32_t end) {
  // Names are bytes, opened as they are and never converted; a word is terminated where
  // the name ends, as every name but a cut one does.
  return {command.words[word] + begin, end - begin};
}

void PlatformExit(uint8_t code) {
  RestoreTerminal();
  EndConsoleLine();
  exit(code);
}

uint64_t PlatformClockMs() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
}
