// Console input: the operator's keys. Bytes from the input descriptor become keys, one
// per character of the user's charset or per escape sequence, and each key becomes a
// press and a release event in a queue that the console calls read.
#include <errno.h>
#include <poll.h>
#include <string.h>
#include <sys/stat.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include "platform/posix/posix_layer.h"
#include "platform/posix/seams.h"

namespace {

constexpr size_t kQueueSize = 64;    // events: room for 32 keys
constexpr size_t kPendingSize = 64;  // bytes read but not yet made into keys
constexpr char kEscape = '\x1B';
// How long the rest of an escape sequence or of a character may take to arrive. A lone
// Escape press answers nothing, so a generous wait costs the operator nothing.
constexpr int kRestWaitMs = 300;
// What GetLastError tells once no further byte can come from a descriptor that ended.
constexpr DWORD kEndOfInput = ENODATA;

struct ConsoleInputState {
  int fd = -1;   // the descriptor the state belongs to, -1 for none yet
  dev_t device;  // with inode, tells a reused descriptor number from the same file
  ino_t inode;
  bool terminal;
  INPUT_RECORD queue[kQueueSize];
  size_t head;
  size_t count;
  char pending[kPendingSize];
  size_t pendingCount;
  bool ended;  // no further byte can come
  DWORD endError;
};
ConsoleInputState Input;

// Takes the state for the handle's descriptor, starting afresh for another file.
bool Bind(HANDLE handle) {
  const int fd = FdFromHandle(handle);
  struct stat info;
  if (fd < 0 || fstat(fd, &info) != 0) return FailWith(EBADF);
  if (fd == Input.fd && info.st_dev == Input.device && info.st_ino == Input.inode) return true;
  if (Input.terminal) RestoreTerminal();
  Input = ConsoleInputState{};
  Input.fd = fd;
  Input.device = info.st_dev;
  Input.inode = info.st_ino;
  Input.terminal = isatty(fd) != 0;
  return true;
}

void PushEvent(BOOL keyDown, uint32_t character) {
  INPUT_RECORD& record = Input.queue[(Input.head + Input.count++) % kQueueSize];
  memset(&record, 0, sizeof record);
  record.EventType = KEY_EVENT;
  record.Event.KeyEvent.bKeyDown = keyDown;
  record.Event.KeyEvent.wRepeatCount = 1;
  // One UTF-16 unit per event: a character beyond it cannot be told apart anyway.
  record.Event.KeyEvent.uChar.UnicodeChar =
      static_cast<WCHAR>(character <= 0xFFFF ? character : 0xFFFD);
}

// The length of the escape sequence at the start of bytes, or 0 while it is incomplete:
// ESC [ parameters and a final byte from 0x40 to 0x7E; ESC O and one byte; a lone ESC.
size_t EscapeLength(const char* bytes, size_t count) {
  if (count < 2) return 0;
  if (bytes[1] == '[') {
    for (size_t i = 2; i < count; ++i) {
      if (bytes[i] >= 0x40 && bytes[i] <= 0x7E) return i + 1;
    }
    return 0;
  }
  if (bytes[1] == 'O') return count >= 3 ? 3 : 0;
  return 1;  // the Escape key itself; what follows is a key of its own
}

// Makes keys of the pending bytes while the queue has room. With whole set, an
// incomplete sequence at the end becomes a key too: nothing more will complete it.
void DecodePending(bool whole) {
  while (Input.pendingCount > 0 && Input.count + 2 <= kQueueSize) {
    uint32_t character = 0;  // every escape sequence is a key without a character
    size_t used = Input.pending[0] == kEscape ? EscapeLength(Input.pending, Input.pendingCount)
                                              : DecodeCharacter(kCharsetUser, Input.pending,
                                                                Input.pendingCount, &character);
    if (used == 0) {
      // A buffer full of one unfinished sequence is given up as well.
      if (!whole && Input.pendingCount < kPendingSize) return;
      used = Input.pendingCount;
      character = Input.pending[0] == kEscape ? 0 : 0xFFFD;
    }
    PushEvent(TRUE, character);
    PushEvent(FALSE, character);
    Input.pendingCount -= used;
    memmove(Input.pending, Input.pending + used, Input.pendingCount);
  }
}

enum Intake { kIntakeBytes, kIntakeTimedOut, kIntakeEnded };

Intake EndInput(DWORD error) {
  Input.ended = true;
  Input.endError = error;
  return kIntakeEnded;
}

// Waits up to timeoutMs (-1 without limit) for bytes and reads what fits.
Intake ReadBytes(int timeoutMs) {
  if (Input.pendingCount == kPendingSize) return kIntakeBytes;  // no room: decode first
  for (;;) {
    pollfd watched = {Input.fd, POLLIN, 0};
    const int ready = poll(&watched, 1, timeoutMs);
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0) return EndInput(static_cast<DWORD>(errno));
    if (ready == 0) return kIntakeTimedOut;
    if ((watched.revents & POLLNVAL) != 0) return EndInput(EBADF);
    const ssize_t n =
        read(Input.fd, Input.pending + Input.pendingCount, kPendingSize - Input.pendingCount);
    if (n > 0) {
      Input.pendingCount += static_cast<size_t>(n);
      return kIntakeBytes;
    }
    if (n == 0) return EndInput(kEndOfInput);
    if (errno != EINTR && errno != EAGAIN) return EndInput(static_cast<DWORD>(errno));
  }
}

int64_t NowMs() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// Waits until the queue holds an event (WAIT_OBJECT_0), the time is up (WAIT_TIMEOUT),
// or no further key can come (WAIT_FAILED).
DWORD WaitForEvents(DWORD milliseconds) {
  const int64_t deadline = milliseconds == INFINITE ? -1 : NowMs() + milliseconds;
  for (;;) {
    DecodePending(Input.ended);
    if (Input.count > 0) return WAIT_OBJECT_0;
    if (Input.ended) {
      RestoreTerminal();
      FailWith(Input.endError);
      return WAIT_FAILED;
    }
    if (Input.terminal) EnterKeyMode(Input.fd);
    int timeout = -1;
    if (deadline >= 0) {
      const int64_t left = deadline - NowMs();
      timeout = left > 0 ? static_cast<int>(left) : 0;
    }
    // An unfinished sequence waits only briefly for its rest.
    const bool unfinished = Input.pendingCount > 0;
    if (unfinished && (timeout < 0 || timeout > kRestWaitMs)) timeout = kRestWaitMs;
    if (ReadBytes(timeout) != kIntakeTimedOut) continue;
    if (unfinished) {
      DecodePending(true);
    } else if (deadline >= 0 && NowMs() >= deadline) {
      return WAIT_TIMEOUT;
    }
  }
}

// The records a test planned, when it planned any.
PlannedInput* Planned() {
  PlannedInput& planned = PlatformSeams.plannedInput;
  return planned.records != nullptr ? &planned : nullptr;
}

DWORD PlannedLeft(const PlannedInput& planned) {
  return planned.next < planned.count ? planned.count - planned.next : 0;
}

}  // namespace

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
  if (PlannedInput* planned = Planned()) {
    if (PlannedLeft(*planned) > 0) return WAIT_OBJECT_0;
    FailWith(kEndOfInput);
    return WAIT_FAILED;
  }
  if (!Bind(handle)) return WAIT_FAILED;
  return WaitForEvents(milliseconds);
}

BOOL GetNumberOfConsoleInputEvents(HANDLE input, LPDWORD count) {
  if (count == nullptr) return FailWith(EINVAL);
  *count = 0;
  if (PlannedInput* planned = Planned()) {
    *count = PlannedLeft(*planned);
    return *count > 0 ? TRUE : FailWith(kEndOfInput);
  }
  if (!Bind(input)) return FALSE;
  // Without waiting: what has already arrived, or the news that nothing more will.
  if (Input.count == 0 && !Input.ended && Input.pendingCount < kPendingSize) ReadBytes(0);
  DecodePending(Input.ended);
  if (Input.count == 0 && Input.ended) return FailWith(Input.endError);
  *count = static_cast<DWORD>(Input.count);
  return TRUE;
}

BOOL ReadConsoleInputW(HANDLE input, PINPUT_RECORD records, DWORD length, LPDWORD read) {
  if (records == nullptr || read == nullptr) return FailWith(EINVAL);
  *read = 0;
  if (length == 0) return TRUE;
  if (PlannedInput* planned = Planned()) {
    if (PlannedLeft(*planned) == 0) return FailWith(kEndOfInput);
    records[0] = planned->records[planned->next++];
    *read = 1;
    return TRUE;
  }
  if (!Bind(input)) return FALSE;
  if (WaitForEvents(INFINITE) != WAIT_OBJECT_0) return FALSE;
  while (*read < length && Input.count > 0) {
    records[(*read)++] = Input.queue[Input.head];
    Input.head = (Input.head + 1) % kQueueSize;
    --Input.count;
  }
  // Every key that was waited for has been taken: the terminal is the user's again.
  if (Input.count == 0 && Input.pendingCount == 0) RestoreTerminal();
  return TRUE;
}

BOOL FlushConsoleInputBuffer(HANDLE input) {
  if (PlannedInput* planned = Planned()) {
    ++planned->flushes;
    return TRUE;
  }
  if (!Bind(input)) return FALSE;
  // Answers given by a script through a pipe or a file stay: they were typed on purpose.
  if (!Input.terminal) return TRUE;
  // From here on keys are not echoed, so none typed while waiting shows on the screen.
  EnterKeyMode(Input.fd);
  tcflush(Input.fd, TCIFLUSH);
  Input.count = 0;
  Input.pendingCount = 0;
  return TRUE;
}
