#include "fake_platform.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <iterator>

FakePlatformRecord FakePlatform;

const PlatformError kErrorNameTooLong = 206;
const PlatformError kErrorNoMatch = kFakeNoSuchFile;

namespace {

// The fault that a call meets first: for a transfer, the one at the lowest block
// inside its range.
FakeFault* FaultMet(FakeCall call, uint64_t offset, uint32_t size) {
  FakeFault* met = nullptr;
  for (FakeFault& fault : FakePlatform.faults) {
    if (fault.call != call || fault.times == 0) continue;
    const bool transfer = call != kFakeOpen && call != kFakeClose;
    if (transfer && (fault.block < offset || fault.block - offset >= size)) continue;
    if (met == nullptr || fault.block < met->block) met = &fault;
  }
  if (met != nullptr && met->times != kFakeForever) --met->times;
  return met;
}

// Logs a call; gives back its error.
PlatformError Logged(FakeCall call, uint64_t offset, uint32_t size, uint32_t moved,
                     PlatformError error) {
  FakePlatform.calls.push_back({call, offset, size, moved, error == 0});
  if (FakePlatform.calls.size() == FakePlatform.interruptAfter) FakePlatform.interrupted = true;
  return error;
}

// Code page 1251 text as the system shows it in code page 866: the Cyrillic letters, Yo,
// yo and the numero sign move; what code page 866 lacks becomes a question mark, as the
// system's default character.
void ToCodePage866(const char* text, char* out) {
  for (;; ++text, ++out) {
    const uint8_t byte = static_cast<uint8_t>(*text);
    uint8_t shown = byte < 0x80 ? byte : '?';
    if (byte >= 0xC0) shown = static_cast<uint8_t>(byte < 0xF0 ? byte - 0x40 : byte - 0x10);
    if (byte == 0xA8 || byte == 0xB8) shown = byte == 0xA8 ? 0xF0 : 0xF1;
    if (byte == 0xB9) shown = 0xFC;
    *out = static_cast<char>(shown);
    if (byte == 0) return;
  }
}

FakeFile* OpenFile(PlatformHandle handle) {
  const uint64_t index = static_cast<uint64_t>(handle - kFakeFirstFile);
  if (handle < kFakeFirstFile || index >= FakePlatform.handles.size()) return nullptr;
  FakeFile* file = &FakePlatform.handles[index];
  return file->open ? file : nullptr;
}

// Cuts the file to the length a cut planned in the transfer's range gives, once the
// transfer is done, as another program may cut it meanwhile.
void CutIfPlanned(FakeCall after, const std::string& name, uint64_t offset, uint32_t size) {
  const FakeFault* cut = FaultMet(after, offset, size);
  if (cut == nullptr || FakePlatform.files[name].size() <= cut->block) return;
  FakePlatform.files[name].resize(cut->block);
  ++FakePlatform.writes;
}

// How many bytes a transfer moves before the fault it meets stops it, and that fault's
// error (0 when it meets none, or a short one).
struct Reach {
  uint32_t bytes;
  PlatformError error;
};

Reach ReachOf(FakeCall call, uint64_t offset, uint32_t size) {
  const FakeFault* fault = FaultMet(call, offset, size);
  if (fault == nullptr) return {size, 0};
  const uint32_t before = static_cast<uint32_t>(fault->block - offset);
  const uint32_t rest = size - before;
  return {before + (fault->movedFirst < rest ? fault->movedFirst : rest), fault->error};
}

}  // namespace

void FakePlatformReset() {
  FakePlatform = {};
}

std::string FakeConsoleText() {
  std::string all;
  for (const std::string& piece : FakePlatform.console)
    all += piece;
  return all;
}

void FakePlanKeys(const std::u16string& characters) {
  FakePlatform.keys += characters;
}

// ---- Process ----

PlatformCommand PlatformStart(int, char**) {
  FakePlatform.commandWords[0] = FakePlatform.commandLine.c_str();
  return {kCommandLine, 1, FakePlatform.commandWords};
}

void PlatformExit(uint8_t code) {
  fflush(nullptr);
  if (FakePlatform.exitExpected) _Exit(code);
  // A quiet exit with code 0 would pass for a test that succeeded.
  fprintf(stderr, "PlatformExit(%u) outside a death test\n", code);
  abort();
}

void PlatformBeginInterruptible() {
  FakePlatform.interruptible = true;
}

void PlatformEndInterruptible() {
  FakePlatform.interruptible = false;
  if (FakePlatform.interrupted) PlatformEndInterrupted();
}

bool PlatformInterrupted() {
  return FakePlatform.interrupted;
}

void PlatformEndInterrupted() {
  if (FakePlatform.endReturns) throw FakeEnded{};
  // As the signal ends the process: by the status a shell shows for SIGINT.
  PlatformExit(130);
}

PlatformName PlatformCommandName(const PlatformCommand& command, uint32_t word, uint32_t begin,
                                 uint32_t end) {
  return {command.words[word] + begin, end - begin};
}

PlatformName FakeName(const char* bytes) {
  return {bytes, static_cast<uint32_t>(strlen(bytes))};
}

bool PlatformUserReadsRussian() {
  return FakePlatform.readsRussian;
}

// ---- Console ----

PlatformHandle PlatformStandardHandle(StandardStream which) {
  const PlatformHandle handles[] = {kFakeInput, kFakeOutput, kFakeError};
  return FakePlatform.streamsClosed[which] ? kNoHandle : handles[which];
}

PlatformHandle PlatformTerminalInput() {
  return kFakeInput;
}

PlatformHandle PlatformReportOutput(PlatformHandle keys) {
  (void)keys;
  return kFakeError;
}

void PlatformWriteConsole(PlatformHandle output, const char* text, uint32_t count) {
  // Text sent to any other handle is lost, as it is on a handle that is no console.
  if (output == kFakeError) FakePlatform.console.emplace_back(text, count);
  if (output == kFakeOutput) FakePlatform.output.emplace_back(text, count);
}

void PlatformWriteName(PlatformHandle output, PlatformName name) {
  PlatformWriteConsole(output, static_cast<const char*>(name.text), name.length);
}

bool PlatformIsTerminal(PlatformHandle output) {
  return FakePlatform.terminal && output == kFakeError;
}

void PlatformShowStatus(PlatformHandle terminal, const char* text, uint32_t count) {
  if (terminal == kFakeError) FakePlatform.console.push_back("\r" + std::string(text, count));
}

uint64_t PlatformClockMs() {
  return FakePlatform.clockMs += FakePlatform.clockStepMs;
}

void PlatformWriteErrorLine(const char* text) {
  FakePlatform.errorLines.push_back(text);
}

PlatformKey PlatformNextKey(PlatformHandle input) {
  // A request to end the process held leaves the question unanswered.
  if (input != kFakeInput || FakePlatform.interrupted) return {kNoMoreKeys, 0};
  if (!FakePlatform.typedAhead.empty()) {
    const char16_t key = FakePlatform.typedAhead[0];
    FakePlatform.typedAhead.erase(0, 1);
    return {key, 0};
  }
  if (FakePlatform.nextKey == FakePlatform.keys.size()) return {kNoMoreKeys, 0};
  return {FakePlatform.keys[FakePlatform.nextKey++], 0};
}

void PlatformDiscardKeys(PlatformHandle input) {
  // The planned keys stay: they stand for keys typed after the discard.
  if (input == kFakeInput) FakePlatform.typedAhead.clear();
}

// ---- Files ----

bool PlatformFirstMatch(PlatformName pattern, PlatformMatches* matches) {
  *matches = {kNoHandle, pattern, 0, pattern};
  return true;
}

bool PlatformNextMatch(PlatformMatches*) {
  return false;
}

PlatformError PlatformOpenForReading(PlatformName opened, PlatformHandle* file) {
  return PlatformOpenForUpdate(opened, file);
}

PlatformError PlatformOpenForUpdate(PlatformName opened, PlatformHandle* file) {
  std::string name(static_cast<const char*>(opened.text), opened.length);
  if (FakePlatform.links.count(name) != 0) name = FakePlatform.links[name];
  PlatformError error = 0;
  if (const FakeFault* fault = FaultMet(kFakeOpen, 0, 0)) {
    error = fault->error;
  } else if (FakePlatform.files.count(name) == 0) {
    error = kFakeNoSuchFile;
  } else {
    for (const FakeFile& file : FakePlatform.handles) {
      if (file.open && file.name == name) error = kFakeSharingViolation;
    }
  }
  *file = kNoHandle;
  if (Logged(kFakeOpen, 0, 0, 0, error) != 0) return error;
  FakePlatform.handles.push_back({name, true});
  *file = kFakeFirstFile + static_cast<PlatformHandle>(FakePlatform.handles.size() - 1);
  return 0;
}

PlatformError PlatformReadAt(PlatformHandle file, uint64_t offset, void* buffer, uint32_t size,
                             uint32_t* read) {
  *read = 0;
  const FakeFile* open = OpenFile(file);
  if (open == nullptr) return Logged(kFakeRead, offset, size, 0, kFakeBadHandle);
  const std::vector<uint8_t>& data = FakePlatform.files[open->name];
  const Reach reach = ReachOf(kFakeRead, offset, size);
  // The bytes before a fault reach the buffer even when the read fails.
  uint32_t count = 0;
  if (offset < data.size()) {
    const uint64_t left = data.size() - offset;
    count = reach.bytes < left ? reach.bytes : static_cast<uint32_t>(left);
    memcpy(buffer, data.data() + offset, count);
  }
  if (reach.error == 0) *read = count;
  CutIfPlanned(kFakeCutAfterRead, open->name, offset, size);
  return Logged(kFakeRead, offset, size, *read, reach.error);
}

PlatformError PlatformWriteAt(PlatformHandle file, uint64_t offset, const void* buffer,
                              uint32_t size, uint32_t* written) {
  *written = 0;
  const FakeFile* open = OpenFile(file);
  if (open == nullptr) return Logged(kFakeWrite, offset, size, 0, kFakeBadHandle);
  std::vector<uint8_t>& data = FakePlatform.files[open->name];
  const Reach reach = ReachOf(kFakeWrite, offset, size);
  if (reach.bytes > 0) {
    if (data.size() < offset + reach.bytes) data.resize(offset + reach.bytes);
    memcpy(data.data() + offset, buffer, reach.bytes);
  }
  *written = reach.bytes;
  FakePlatform.writes += reach.bytes > 0;
  CutIfPlanned(kFakeCutAfterWrite, open->name, offset, size);
  return Logged(kFakeWrite, offset, size, reach.bytes, reach.error);
}

PlatformError PlatformReadStream(PlatformHandle stream, void* buffer, uint32_t size,
                                 uint32_t* read) {
  // The standard input, read from where the last read ended; faults count its bytes.
  *read = 0;
  const uint64_t at = FakePlatform.streamRead;
  if (stream != kFakeInput) return Logged(kFakeRead, at, size, 0, kFakeBadHandle);
  const std::vector<uint8_t>& in = FakePlatform.streamIn;
  const Reach reach = ReachOf(kFakeRead, at, size);
  const uint64_t left = at < in.size() ? in.size() - at : 0;
  const uint32_t count = reach.bytes < left ? reach.bytes : static_cast<uint32_t>(left);
  // A read that fails may have taken bytes from the stream first: they are gone from it.
  memcpy(buffer, in.data() + at, count);
  *read = count;
  FakePlatform.streamRead += count;
  return Logged(kFakeRead, at, size, *read, reach.error);
}

PlatformError PlatformWriteStream(PlatformHandle stream, const void* buffer, uint32_t size,
                                  uint32_t* written) {
  // The standard output, appended to; faults count its bytes.
  std::vector<uint8_t>& out = FakePlatform.streamOut;
  *written = 0;
  if (stream != kFakeOutput) return Logged(kFakeWrite, out.size(), size, 0, kFakeBadHandle);
  const Reach reach = ReachOf(kFakeWrite, out.size(), size);
  const uint8_t* bytes = static_cast<const uint8_t*>(buffer);
  out.insert(out.end(), bytes, bytes + reach.bytes);
  *written = reach.bytes;
  return Logged(kFakeWrite, out.size() - reach.bytes, size, reach.bytes, reach.error);
}

PlatformError PlatformClose(PlatformHandle file) {
  FakeFile* open = OpenFile(file);
  if (open == nullptr) return Logged(kFakeClose, 0, 0, 0, kFakeBadHandle);
  open->open = false;
  const FakeFault* fault = FaultMet(kFakeClose, 0, 0);
  return Logged(kFakeClose, 0, 0, 0, fault != nullptr ? fault->error : 0);
}

PlatformError PlatformFileSize(PlatformHandle file, uint64_t* size) {
  uint64_t modified = 0;
  return PlatformFileStamp(file, size, &modified);
}

PlatformError PlatformFileIdentity(PlatformHandle file, PlatformFileId* id) {
  const FakeFile* open = OpenFile(file);
  if (open == nullptr) return kFakeBadHandle;
  const auto found = FakePlatform.files.find(open->name);
  *id = {1, static_cast<uint64_t>(std::distance(FakePlatform.files.begin(), found))};
  return 0;
}

PlatformError PlatformFileStamp(PlatformHandle file, uint64_t* size, uint64_t* modified) {
  const FakeFile* open = OpenFile(file);
  if (open == nullptr) return kFakeBadHandle;
  *size = FakePlatform.files[open->name].size();
  *modified = FakePlatform.writes;
  return 0;
}

PlatformError PlatformReadNote(PlatformHandle file, void* buffer, uint32_t size, uint32_t* read) {
  *read = 0;
  const FakeFile* open = OpenFile(file);
  if (open == nullptr) return kFakeBadHandle;
  if (FakePlatform.noNotes || FakePlatform.notes.count(open->name) == 0) return kFakeNoSuchFile;
  const std::string& note = FakePlatform.notes[open->name];
  *read = note.size() < size ? static_cast<uint32_t>(note.size()) : size;
  memcpy(buffer, note.data(), *read);
  return 0;
}

PlatformError PlatformWriteNote(PlatformHandle file, const void* note, uint32_t size) {
  const FakeFile* open = OpenFile(file);
  if (open == nullptr) return kFakeBadHandle;
  if (FakePlatform.noNotes) return kFakeNoSuchFile;
  FakePlatform.notes[open->name].assign(static_cast<const char*>(note), size);
  return 0;
}

void PlatformRemoveNote(PlatformHandle file) {
  if (const FakeFile* open = OpenFile(file)) FakePlatform.notes.erase(open->name);
}

// ---- Messages ----

PlatformError PlatformLastError() {
  return FakePlatform.lastError;
}

bool PlatformErrorText(PlatformError number, char* out, uint32_t size) {
  const auto found = FakePlatform.errorTexts.find(number);
  if (found == FakePlatform.errorTexts.end()) return false;
  const std::string cut = found->second.substr(0, size - 1);  // as a text too long fills out
  ToCodePage866(cut.c_str(), out);
  return true;
}

void PlatformShowName(PlatformName name, char* out, uint32_t size) {
  const std::string bytes(static_cast<const char*>(name.text),
                          name.length < size - 1 ? name.length : size - 1);
  ToCodePage866(bytes.c_str(), out);
}
