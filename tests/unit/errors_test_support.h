// What the tests of the error report share: the console output caught piece by piece,
// keys fed through a pipe, and the language of the tables.
#pragma once

#include <unistd.h>

#include <string>
#include <vector>

#include "errors/console_output.h"
#include "errors/report_texts.h"
#include "platform/posix/posix_layer.h"
#include "platform/posix/seams.h"

/// Collects every WriteConsoleW call as one piece of code page 866 bytes while it lives.
class ConsoleCapture {
 public:
  ConsoleCapture() {
    pieces_ = &pieces;
    pieces.clear();
    PlatformSeams.consoleOutput = Catch;
  }
  ~ConsoleCapture() { PlatformSeams.consoleOutput = nullptr; }
  std::string Joined() const {
    std::string all;
    for (const std::string& piece : pieces)
      all += piece;
    return all;
  }
  std::vector<std::string> pieces;

 private:
  static void Catch(const char* bytes, DWORD count) { pieces_->emplace_back(bytes, count); }
  static inline std::vector<std::string>* pieces_;
};

/// Makes the console input a pipe that holds keys and then ends; with keepOpen the
/// writing end stays open, so that more keys may follow through Write.
class PipedKeys {
 public:
  explicit PipedKeys(const std::string& keys, bool keepOpen = false) {
    if (pipe(fds_) != 0) fds_[0] = fds_[1] = -1;
    Write(keys);
    if (!keepOpen) CloseWriter();
    saved_ = StdHandles.input;
    StdHandles.input = HandleFromFd(fds_[0]);
  }
  ~PipedKeys() {
    StdHandles.input = saved_;
    CloseWriter();
    close(fds_[0]);
  }
  void Write(const std::string& keys) {
    if (!keys.empty() && write(fds_[1], keys.data(), keys.size()) < 0) CloseWriter();
  }
  void CloseWriter() {
    if (fds_[1] >= 0) close(fds_[1]);
    fds_[1] = -1;
  }
  HANDLE handle() const { return HandleFromFd(fds_[0]); }

 private:
  int fds_[2];
  HANDLE saved_;
};

/// The tables in the given language while it lives; English afterwards.
class ReportLanguage {
 public:
  explicit ReportLanguage(bool russian) { SetReportLanguage(russian); }
  ~ReportLanguage() { SetReportLanguage(false); }
};
