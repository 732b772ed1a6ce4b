// The start of the POSIX side's tests, and the wrapped system calls that serve their
// planned faults.
#include <errno.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>

#include "planned_faults.h"
#include "platform/platform.h"

namespace {

// Takes the call's next planned fault: false when the call is to fail (errno set),
// else *count is cut to what the call may move.
bool Admit(PlannedCall call, size_t* count) {
  std::deque<Fault>& plan = PlannedFaults[call];
  if (plan.empty()) return true;
  errno = plan.front().error;
  *count = std::min(*count, plan.front().most);
  plan.pop_front();
  return errno == 0;
}

}  // namespace

extern "C" {
ssize_t __real_pread(int fd, void* buffer, size_t count, off_t offset);
ssize_t __real_pwrite(int fd, const void* buffer, size_t count, off_t offset);
ssize_t __real_read(int fd, void* buffer, size_t count);
ssize_t __real_write(int fd, const void* buffer, size_t count);

ssize_t __wrap_pread(int fd, void* buffer, size_t count, off_t offset) {
  return Admit(kCallPread, &count) ? __real_pread(fd, buffer, count, offset) : -1;
}
ssize_t __wrap_pwrite(int fd, const void* buffer, size_t count, off_t offset) {
  return Admit(kCallPwrite, &count) ? __real_pwrite(fd, buffer, count, offset) : -1;
}
ssize_t __wrap_read(int fd, void* buffer, size_t count) {
  return Admit(kCallRead, &count) ? __real_read(fd, buffer, count) : -1;
}
ssize_t __wrap_write(int fd, const void* buffer, size_t count) {
  return Admit(kCallWrite, &count) ? __real_write(fd, buffer, count) : -1;
}
}

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  // The platform takes the user's charset once, at its start, as the program does; the
  // tests expect UTF-8 whatever the locale of the run.
  setenv("LC_ALL", "C.UTF-8", 1);
  char name[] = "pelcor";
  char* arguments[] = {name, nullptr};
  PlatformStart(1, arguments);
  return RUN_ALL_TESTS();
}
