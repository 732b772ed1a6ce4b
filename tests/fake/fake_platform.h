// A fake of the door to the operating system, for the subsystems' unit tests: files live
// in memory, the console is a list of pieces and planned keys, and every failure a
// test wants is planned in one table. Nothing of it reaches the system.
#pragma once

#include <stdint.h>

#include <map>
#include <string>
#include <vector>

#include "platform/platform.h"

/// The calls of the file services, as the fault table and the call log name them.
enum FakeCall : uint8_t {
  kFakeOpen,
  kFakeRead,
  kFakeWrite,
  kFakeClose,
  kFakeCutAfterRead,
  kFakeCutAfterWrite
};

/// A fault's times for one that never runs out.
inline constexpr uint32_t kFakeForever = 0xFFFFFFFFu;

/// One planned fault. A read or write whose range [offset, offset + size) holds block
/// meets it: the transfer moves the bytes before block, then movedFirst bytes of the
/// block, then fails with error; a failed read reports none of them, a failed write
/// reports them all. With error 0 the transfer stops there without an error instead: a
/// short read or write. An open or close meets a fault of its kind whatever block says;
/// a failed close closes the file all the same. A cut is met by a read or a write of a
/// file, as its name says, as a fault is; once that transfer is done another program cuts
/// the file to block bytes. Each meeting counts times down; a fault whose times are 0 is answered
/// and stays out of the way.
struct FakeFault {
  FakeCall call;
  uint64_t block;  // a byte offset, a multiple of the converter's block size
  uint32_t times;
  PlatformError error;
  uint32_t movedFirst;
};

/// One call of the file services, as it was made and answered.
struct FakeCallRecord {
  FakeCall call;
  uint64_t offset;  // 0 for open and close
  uint32_t size;    // what was asked; 0 for open and close
  uint32_t moved;   // what *read or *written reported
  bool ok;
};

/// The console and file handles the fake hands out.
inline constexpr PlatformHandle kFakeInput = 10;
inline constexpr PlatformHandle kFakeOutput = 11;
inline constexpr PlatformHandle kFakeError = 12;
inline constexpr PlatformHandle kFakeFirstFile = 100;

/// The errors the fake gives of its own accord.
inline constexpr PlatformError kFakeNoSuchFile = 2;
inline constexpr PlatformError kFakeBadHandle = 6;
inline constexpr PlatformError kFakeSharingViolation = 32;

struct FakeFile {
  std::string name;
  bool open;
};

struct FakePlatformRecord {
  std::map<std::string, std::vector<uint8_t>> files;  // by name: bytes of code page 1251
  std::map<std::string, std::string> links;           // another name of a file: the file's own name
  std::vector<FakeFile> handles;                      // handle kFakeFirstFile + i is handles[i]
  std::vector<FakeFault> faults;
  std::vector<FakeCallRecord> calls;
  std::vector<uint8_t> streamIn;   // the standard input's bytes
  uint64_t streamRead;             // how many of them were read
  std::vector<uint8_t> streamOut;  // the standard output's bytes
  bool streamsClosed[3];           // the standard streams closed when the process started
  uint64_t writes;                 // the writes that moved bytes: the files' time of last change

  std::vector<std::string> console;  // one piece of code page 866 text per report write
  std::vector<std::string> output;   // the same for standard output
  bool terminal;                     // the reports' handle is a terminal: status lines go there,
                                     // each a piece "\r" and its text
  uint64_t clockMs;                  // the clock, which each reading moves on by clockStepMs
  uint64_t clockStepMs;
  std::u16string typedAhead;  // keys waiting before a question, until discarded
  std::u16string keys;        // then these, in order; after the last no key can come
  size_t nextKey;

  std::map<PlatformError, std::string> errorTexts;  // code page 1251; none: no text
  PlatformError lastError;                          // the system's own, as a fault event finds it
  std::string commandLine;  // the command, as one line; names are cut from it as bytes
  const char* commandWords[1];
  bool readsRussian;

  bool interruptible;     // inside PlatformBeginInterruptible and PlatformEndInterruptible
  bool interrupted;       // a request to end the process is held
  size_t interruptAfter;  // a request comes once this many file calls are made; 0: none
  bool endReturns;        // PlatformEndInterrupted throws FakeEnded instead of ending the process
  std::vector<std::string> errorLines;  // standard error's lines

  std::map<std::string, std::string> notes;  // by file name
  bool noNotes;                              // the file system keeps none

  /// Set by a death test's statement: PlatformExit then ends the process with its code.
  /// Anywhere else reaching it is a fault of the test, and the run stops loudly.
  bool exitExpected;
};
extern FakePlatformRecord FakePlatform;

/// What PlatformEndInterrupted throws when the test asked it to return.
struct FakeEnded {};

/// Empties the record: no files, faults, calls, console text or keys.
void FakePlatformReset();

/// Every console piece, joined.
std::string FakeConsoleText();

/// A key typed after the question, for each character.
void FakePlanKeys(const std::u16string& characters);

/// The fake's name for a file: its bytes, which the reports show as code page 1251.
PlatformName FakeName(const char* bytes);
