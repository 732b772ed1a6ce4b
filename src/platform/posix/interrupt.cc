// Requests to end the process on POSIX: an interrupt, a termination or a hang-up is held
// while a run is at work, for it to stop at its next boundary, and a second one ends the
// process at once. The same
// handlers keep the terminal's mode while the program waits for keys (one key at a time,
// without echo): whatever way the process ends, the terminal gets its own settings back;
// while the process is stopped it has them too, and key mode comes back when it
// continues.
#include <errno.h>
#include <poll.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>

#include "platform/posix/posix.h"

namespace {

// Read by the signal handlers, so written in an order that they can rely on: both modes
// are complete before keyModeFd says there is something to restore, and keyModeFd is
// changed only with the signals held off.
termios savedMode;
termios keyMode;
volatile sig_atomic_t keyModeFd = -1;

// Whether an interrupt, a termination or a hang-up is held now (a run is at work), and
// the one held.
volatile sig_atomic_t holding = 0;
volatile sig_atomic_t heldSignal = 0;

// Every catchable signal whose default action ends the process, but SIGPIPE, which the
// program ignores. SIGXFSZ is among them where it is not ignored, as the program itself
// ignores it.
const int kEndingSignals[] = {
    SIGHUP,    SIGINT,  SIGQUIT, SIGILL,  SIGTRAP, SIGABRT, SIGBUS,  SIGFPE, SIGUSR1,
    SIGSEGV,   SIGUSR2, SIGALRM, SIGTERM, SIGXCPU, SIGXFSZ, SIGPROF, SIGSYS, SIGVTALRM,
#ifdef SIGSTKFLT
    SIGSTKFLT,
#endif
#ifdef SIGPOLL
    SIGPOLL,
#endif
#ifdef SIGPWR
    SIGPWR,
#endif
};
// The signals that stop the process and can be caught.
const int kStoppingSignals[] = {SIGTSTP, SIGTTIN, SIGTTOU};

void SetHandler(int signalNumber, void (*handler)(int), int flags) {
  struct sigaction action = {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = flags;
  sigaction(signalNumber, &action, nullptr);
}

// Puts the terminal back as the user had it, when it is in key mode.
void RestoreFromHandler() {
  const int fd = keyModeFd;
  std::atomic_signal_fence(std::memory_order_acquire);
  if (fd >= 0) tcsetattr(fd, TCSANOW, &savedMode);
}

// Puts the terminal into key mode again while the prompt waits, unless the process now
// runs in the background, where changing the terminal would stop it once more.
void ResumeKeyMode() {
  const int fd = keyModeFd;
  std::atomic_signal_fence(std::memory_order_acquire);
  if (fd >= 0 && tcgetpgrp(fd) == getpgrp()) tcsetattr(fd, TCSANOW, &keyMode);
}

bool IsHoldable(int signalNumber) {
  return signalNumber == SIGINT || signalNumber == SIGTERM || signalNumber == SIGHUP;
}

// Holds the first signal while a run is at work. Otherwise, and for a second one,
// restores the terminal and lets the signal do what it would have done: its default
// action is put back, and the signal stays blocked until the handler returns; then it
// ends the process.
void OnEndingSignal(int signalNumber) {
  if (holding && heldSignal == 0 && IsHoldable(signalNumber)) {
    heldSignal = signalNumber;
    return;
  }
  RestoreFromHandler();
  signal(signalNumber, SIG_DFL);
  raise(signalNumber);
}

// Lets the signal take its default action now: raised with that action, and let through
// should it be blocked, as it is inside its own handler.
void RaiseAsDefault(int signalNumber) {
  signal(signalNumber, SIG_DFL);
  sigset_t raised;
  sigemptyset(&raised);
  sigaddset(&raised, signalNumber);
  raise(signalNumber);
  sigprocmask(SIG_UNBLOCK, &raised, nullptr);  // a pending signal takes effect here
}

// Restores the terminal and stops as the signal would have; when the process continues
// (or was not stopped, as a process without a shell to continue it is not), the
// prompt's key mode comes back and this handler is set again.
void OnStoppingSignal(int signalNumber) {
  const int savedErrno = errno;
  RestoreFromHandler();
  RaiseAsDefault(signalNumber);
  ResumeKeyMode();
  SetHandler(signalNumber, OnStoppingSignal, SA_RESTART);
  errno = savedErrno;
}

// Continued after a stop that the program could not see (SIGSTOP).
void OnContinue(int signalNumber) {
  (void)signalNumber;
  const int savedErrno = errno;
  ResumeKeyMode();
  errno = savedErrno;
}

// Sets handler for the signal unless it is ignored or someone else handles it.
void Catch(int signalNumber, void (*handler)(int), int flags) {
  struct sigaction previous;
  if (sigaction(signalNumber, nullptr, &previous) != 0) return;
  if (previous.sa_handler != SIG_DFL || (previous.sa_flags & SA_SIGINFO) != 0) return;
  SetHandler(signalNumber, handler, flags);
}

void CatchSignals() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  // The signals that may be held stay caught after the first; transfers go on through
  // them.
  for (int signalNumber : kEndingSignals)
    Catch(signalNumber, OnEndingSignal, IsHoldable(signalNumber) ? SA_RESTART : SA_RESETHAND);
  for (int signalNumber = SIGRTMIN; signalNumber <= SIGRTMAX; ++signalNumber)
    Catch(signalNumber, OnEndingSignal, SA_RESETHAND);
  for (int signalNumber : kStoppingSignals)
    Catch(signalNumber, OnStoppingSignal, SA_RESTART);
  Catch(SIGCONT, OnContinue, SA_RESTART);
}

// Holds off the signals while the terminal and keyModeFd change together, all but
// SIGTTOU: a process in the background must stop there, not change the terminal.
void HoldSignals(sigset_t* previous) {
  sigset_t held;
  sigfillset(&held);
  sigdelset(&held, SIGTTOU);
  sigprocmask(SIG_BLOCK, &held, previous);
}

// Ends the process with the held signal's default action.
[[noreturn]] void EndByHeldSignal() {
  const int signalNumber = heldSignal;
  RestoreTerminal();
  RaiseAsDefault(signalNumber);
  _exit(128 + signalNumber);  // had the signal not ended it
}

}  // namespace

void PlatformBeginInterruptible() {
  CatchSignals();
  holding = 1;
}

void PlatformEndInterruptible() {
  holding = 0;
  if (heldSignal != 0) EndByHeldSignal();
}

bool PlatformInterrupted() {
  return heldSignal != 0;
}

void PlatformEndInterrupted() {
  if (heldSignal == 0) PlatformExit(1);
  EndByHeldSignal();
}

int PollUnlessInterrupted(int fd, int timeoutMs, short* revents) {
  // The signals that may be held are let through only inside the wait, so that none can
  // come between the look at heldSignal and the wait, and leave it waiting.
  sigset_t holdable, previous;
  sigemptyset(&holdable);
  sigaddset(&holdable, SIGINT);
  sigaddset(&holdable, SIGTERM);
  sigaddset(&holdable, SIGHUP);
  sigprocmask(SIG_BLOCK, &holdable, &previous);
  pollfd watched = {fd, POLLIN, 0};
  const timespec limit = {timeoutMs / 1000, timeoutMs % 1000 * 1000000L};
  const int ready =
      heldSignal != 0 ? -1 : ppoll(&watched, 1, timeoutMs < 0 ? nullptr : &limit, &previous);
  const int error = heldSignal != 0 ? EINTR : errno;
  sigprocmask(SIG_SETMASK, &previous, nullptr);
  *revents = watched.revents;
  errno = error;
  return ready;
}

bool EnterKeyMode(int fd) {
  if (keyModeFd >= 0) return true;
  termios mode;
  if (tcgetattr(fd, &mode) != 0) return false;
  CatchSignals();
  sigset_t previous;
  HoldSignals(&previous);
  savedMode = mode;
  // Characters arrive as they are typed and are not shown; Ctrl+C still interrupts.
  mode.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO | ECHONL));
  mode.c_cc[VMIN] = 1;
  mode.c_cc[VTIME] = 0;
  keyMode = mode;
  std::atomic_signal_fence(std::memory_order_release);
  keyModeFd = fd;
  tcsetattr(fd, TCSANOW, &keyMode);
  sigprocmask(SIG_SETMASK, &previous, nullptr);
  return true;
}

void RestoreTerminal() {
  if (keyModeFd < 0) return;
  sigset_t previous;
  HoldSignals(&previous);
  tcsetattr(keyModeFd, TCSANOW, &savedMode);
  keyModeFd = -1;
  sigprocmask(SIG_SETMASK, &previous, nullptr);
}
