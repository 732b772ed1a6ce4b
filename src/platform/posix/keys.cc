// Console input: the operator's keys. Bytes from the input descriptor become keys, one
// per character of the user's charset or per escape sequence, in a queue that the next
// key is taken from.
#include <errno.h>
#include <poll.h>  // POLLNVAL
#include <string.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include "platform/posix/posix.h"

namespace {

constexpr size_t kQueueSize = 32;    // keys
constexpr size_t kPendingSize = 64;  // bytes read but not yet made into keys
constexpr char kEscape = '\x1B';
// How long the rest of an escape sequence may take to arrive. A lone Escape press answers
// nothing, so a generous wait costs the operator nothing. The rest of a character is
// awaited however long it takes: a script may send its bytes apart.
constexpr int kEscapeRestWaitMs = 300;

struct ConsoleInputState {
  int fd = -1;   // the descriptor the state belongs to, -1 for none yet
  dev_t device;  // with inode, tells a reused descriptor number from the same file
  ino_t inode;
  bool terminal;
  uint32_t queue[kQueueSize];  // the keys' characters
  size_t head;
  size_t count;
  char pending[kPendingSize];
  size_t pendingCount;
  bool ended;  // no further byte can come
};
ConsoleInputState Input;

// Takes the state for the handle's descriptor, starting afresh for another file.
bool Bind(PlatformHandle handle) {
  const int fd = static_cast<int>(handle);
  struct stat info;
  if (fd < 0 || fstat(fd, &info) != 0) return false;
  if (fd == Input.fd && info.st_dev == Input.device && info.st_ino == Input.inode) return true;
  if (Input.terminal) RestoreTerminal();
  Input = ConsoleInputState{};
  Input.fd = fd;
  Input.device = info.st_dev;
  Input.inode = info.st_ino;
  Input.terminal = isatty(fd) != 0;
  return true;
}

void PushKey(uint32_t character) {
  Input.queue[(Input.head + Input.count++) % kQueueSize] = character;
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
  while (Input.pendingCount > 0 && Input.count < kQueueSize) {
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
    PushKey(character);
    Input.pendingCount -= used;
    memmove(Input.pending, Input.pending + used, Input.pendingCount);
  }
}

enum Intake { kIntakeBytes, kIntakeTimedOut, kIntakeEnded };

Intake EndInput() {
  Input.ended = true;
  return kIntakeEnded;
}

// Waits up to timeoutMs (-1 without limit) for bytes and reads what fits.
Intake ReadBytes(int timeoutMs) {
  if (Input.pendingCount == kPendingSize) return kIntakeBytes;  // no room: decode first
  for (;;) {
    short revents = 0;
    const int ready = PollUnlessInterrupted(Input.fd, timeoutMs, &revents);
    // A request to end the process held: the question is left unanswered.
    if (ready < 0 && errno == EINTR && !PlatformInterrupted()) continue;
    if (ready < 0) return EndInput();
    if (ready == 0) return kIntakeTimedOut;
    if ((revents & POLLNVAL) != 0) return EndInput();
    const ssize_t n =
        read(Input.fd, Input.pending + Input.pendingCount, kPendingSize - Input.pendingCount);
    if (n > 0) {
      Input.pendingCount += static_cast<size_t>(n);
      return kIntakeBytes;
    }
    if (n == 0) return EndInput();
    if (errno != EINTR && errno != EAGAIN) return EndInput();
  }
}

// Waits until the queue holds a key (true) or no further key can come (false).
bool WaitForKeys() {
  for (;;) {
    DecodePending(Input.ended);
    if (Input.count > 0) return true;
    if (Input.ended) {
      RestoreTerminal();
      return false;
    }
    if (Input.terminal) EnterKeyMode(Input.fd);
    // An unfinished escape sequence waits only briefly for its rest: the Escape key
    // alone sends none.
    const bool escape = Input.pendingCount > 0 && Input.pending[0] == kEscape;
    if (ReadBytes(escape ? kEscapeRestWaitMs : -1) == kIntakeTimedOut) DecodePending(true);
  }
}

}  // namespace

PlatformKey PlatformNextKey(PlatformHandle input) {
  // With a request to end the process held no key answers, not even one queued.
  const bool waited = !PlatformInterrupted() && Bind(input) && WaitForKeys();
  if (!waited || PlatformInterrupted()) return {kNoMoreKeys, 0};
  const uint32_t key = Input.queue[Input.head];
  Input.head = (Input.head + 1) % kQueueSize;
  --Input.count;
  // Every key that was waited for has been taken: the terminal is the user's again.
  if (Input.count == 0 && Input.pendingCount == 0) RestoreTerminal();
  return {key, 0};
}

void PlatformDiscardKeys(PlatformHandle input) {
  // Answers given by a script through a pipe or a file stay: they were typed on purpose.
  if (!Bind(input) || !Input.terminal) return;
  // From here on keys are not echoed, so none typed while waiting shows on the screen.
  EnterKeyMode(Input.fd);
  tcflush(Input.fd, TCIFLUSH);
  Input.count = 0;
  Input.pendingCount = 0;
}
