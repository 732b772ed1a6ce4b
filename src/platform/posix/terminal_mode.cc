// The terminal's mode while the program waits for keys: one key at a time, without
// echo. Whatever way the process ends, the terminal gets its own settings back.
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include "platform/posix/posix_layer.h"

namespace {

// Read by the signal handlers, so written in an order that they can rely on: the saved
// settings are complete before keyModeFd says there is something to restore.
termios savedMode;
volatile sig_atomic_t keyModeFd = -1;

// Puts the terminal back and lets the signal do what it would have done.
void RestoreAndRaise(int signalNumber) {
  RestoreTerminal();
  // The handler was reset on entry (SA_RESETHAND), and the signal stays blocked until
  // the handler returns; then its default action ends the process.
  raise(signalNumber);
}

void CatchTerminatingSignals() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  const int signals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
  for (int signalNumber : signals) {
    struct sigaction previous;
    if (sigaction(signalNumber, nullptr, &previous) != 0) continue;
    // An ignored signal stays ignored, and a handler that someone else set stays.
    if (previous.sa_handler != SIG_DFL || (previous.sa_flags & SA_SIGINFO) != 0) continue;
    struct sigaction action = {};
    action.sa_handler = RestoreAndRaise;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND;
    sigaction(signalNumber, &action, nullptr);
  }
}

}  // namespace

bool EnterKeyMode(int fd) {
  if (keyModeFd >= 0) return true;
  termios mode;
  if (tcgetattr(fd, &mode) != 0) return false;
  savedMode = mode;
  CatchTerminatingSignals();
  keyModeFd = fd;
  // Characters arrive as they are typed and are not shown; Ctrl+C still interrupts.
  mode.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO | ECHONL));
  mode.c_cc[VMIN] = 1;
  mode.c_cc[VTIME] = 0;
  tcsetattr(fd, TCSANOW, &mode);
  return true;
}

void RestoreTerminal() {
  const int fd = keyModeFd;
  if (fd < 0) return;
  tcsetattr(fd, TCSANOW, &savedMode);  // async-signal-safe, as this must be
  keyModeFd = -1;
}
