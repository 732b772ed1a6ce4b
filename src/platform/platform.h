// The one door to the operating system, in the program's own terms.
//
// These are the services the program asks of the system, each implemented once in
// platform/win32/ with the Win32 calls of a console program and once in platform/posix/
// with POSIX and iconv, in files of the same names: process, interrupt, console, keys,
// files and messages. Nothing outside platform/ knows which system it runs on: the
// command comes in one shape, and every text crosses the door in code page 866, which
// each side turns into what the system shows or gives. File names cross the door as the
// system spells them, and are shown in 866.
#pragma once

#include <stdint.h>

/// A file or console handle. kNoHandle is none.
typedef intptr_t PlatformHandle;
inline constexpr PlatformHandle kNoHandle = -1;

/// A system error number, as the calls that can fail return it: Windows error codes on
/// Windows, errno values on POSIX. 0 is none.
typedef uint32_t PlatformError;

/// The system's error for a name too long for it.
extern const PlatformError kErrorNameTooLong;

/// The system's error for a name that names no file.
extern const PlatformError kErrorNoMatch;

/// Why a name that is no regular file is refused: it names a device, or a stream (a FIFO,
/// a socket) that cannot be rewritten in place. No system gives these numbers; the
/// program tells them in its own words.
inline constexpr PlatformError kErrorDevice = 0xFE00;
inline constexpr PlatformError kErrorStream = 0xFE01;

// ---- Process ----

/// How the system hands over the command: as arguments one by one (POSIX: several names
/// and "-" are taken), or as one command line (Windows: one name).
enum CommandForm : uint8_t { kCommandArguments, kCommandLine };

/// The command, read the same way on every system: words of terminated bytes. Handed
/// over as arguments, each word is an argument after the program name as the system gave
/// it; as a line, the one word is the whole command line, program name first, one byte a
/// character: an ASCII character as itself, any other as 0x98, which code page 1251
/// leaves unassigned, so that a position in the word is that of its character in the
/// system's own line. The words live as long as the process.
struct PlatformCommand {
  CommandForm form;
  uint32_t count;
  const char* const* words;
};

/// Called first by main(): prepares the services (on POSIX: the standard descriptors,
/// signals, the user's locale and the charset converters) and hands over the command.
/// May end the process with status 1 when a service cannot be had.
PlatformCommand PlatformStart(int argc, char** argv);

/// Ends the process with the given exit code, leaving the console as it was found.
[[noreturn]] void PlatformExit(uint8_t code);

/// From here until PlatformEndInterruptible, a request to end the process (Ctrl+C, a
/// termination or hang-up signal, the console window closing) is held, for the program
/// to finish the work in hand first; PlatformInterrupted tells it. A wait for a key
/// returns kNoMoreKeys once one is held. A second request ends the process at once, as
/// every request does outside. A request still held when the section ends ends the
/// process there.
void PlatformBeginInterruptible();
void PlatformEndInterruptible();

/// Whether a request to end the process is held.
bool PlatformInterrupted();

/// Ends the process as the held request would have ended it, leaving the console as it
/// was found.
[[noreturn]] void PlatformEndInterrupted();

// ---- The names the command gives ----

/// A file name as the system spells it, handed out by the door and opaque to the
/// program: bytes on POSIX, UTF-16 text on Windows. It lives as long as the process.
struct PlatformName {
  const void* text;
  uint32_t length;  // in the system's own units
};

/// The file name that the bytes [begin, end) of the command's word spell.
PlatformName PlatformCommandName(const PlatformCommand& command, uint32_t word, uint32_t begin,
                                 uint32_t end);

/// The names a name given stands for. Where the system leaves wildcards to the program
/// (Windows), a name with * or ? in its last part stands for each file (not folder) that
/// it matches, in the order the system lists them; any other name, and every name where
/// the shell has expanded them already (POSIX), stands for itself.
struct PlatformMatches {
  PlatformHandle search;  // the system's listing in hand, or kNoHandle
  PlatformName pattern;
  uint32_t folder;    // the units of the pattern's folder, up to its last separator
  PlatformName name;  // the name in hand, which lives as long as the process
};

/// Starts on the names pattern stands for; matches->name receives the first. False when
/// it stands for files and none matches.
bool PlatformFirstMatch(PlatformName pattern, PlatformMatches* matches);

/// Moves matches->name on to the next name; false when there is none.
bool PlatformNextMatch(PlatformMatches* matches);

/// The name as a report shows it: code page 866 text into out (size bytes, at least 1),
/// terminated and cut to fit. A character that code page 866 lacks, or a control
/// character, shows as a question mark.
void PlatformShowName(PlatformName name, char* out, uint32_t size);

/// Whether the user reads Russian, by the system's language settings: the program's
/// texts are then Russian, otherwise English.
bool PlatformUserReadsRussian();

// ---- Console ----

/// The standard streams. Standard output carries what the user asked to see (banner,
/// usage, help, version); standard error every report, question and failure.
enum StandardStream { kStandardInput = 0, kStandardOutput = 1, kStandardError = 2 };

/// The handle of a standard stream of the process; kNoHandle for one that was closed
/// when the process started.
PlatformHandle PlatformStandardHandle(StandardStream which);

/// The console the process runs in, for keys, where the standard input carries data:
/// kNoHandle when there is none.
PlatformHandle PlatformTerminalInput();

/// Where reports and their questions go for an operator who answers on keys: standard
/// error, or, where keys is a console and standard error is not, the console itself, so
/// that a question is shown where it is answered.
PlatformHandle PlatformReportOutput(PlatformHandle keys);

/// Writes count bytes of code page 866 text to a console, pipe or file: on a console so
/// that its letters read right whatever code page the console is set to, elsewhere in
/// the charset a console would show. A write that fails is dropped: there is nowhere to
/// report it, and the work goes on.
void PlatformWriteConsole(PlatformHandle output, const char* text, uint32_t count);

/// Writes a file name as the system spells it, not through code page 866: its bytes on
/// POSIX, its text on Windows (in the console's code page where the output is
/// redirected). A control character shows as a question mark, so that the name stays
/// on its line.
void PlatformWriteName(PlatformHandle output, PlatformName name);

/// Writes one line of code page 866 text (without its line end) to standard error, on a
/// line of its own.
void PlatformWriteErrorLine(const char* text);

/// Whether what goes to output is read by a person: a terminal or a console, not a pipe
/// or a file.
bool PlatformIsTerminal(PlatformHandle output);

/// Shows count bytes of code page 866 text (one line, no line end) on the terminal's
/// current line in one write, over whatever an earlier call showed there; count 0 clears
/// the line. The cursor stays on that line, and text wider than the terminal is cut.
void PlatformShowStatus(PlatformHandle terminal, const char* text, uint32_t count);

/// Milliseconds from a fixed moment of the process, never going back.
uint64_t PlatformClockMs();

/// PlatformNextKey's answer when no further key can come: the input has ended or is
/// closed, or is no console to read keys from.
inline constexpr uint32_t kNoMoreKeys = 0xFFFFFFFFu;

/// A key: its character as a Unicode value (0 for a key without one, such as an arrow), or
/// kNoMoreKeys. Where a script gives the keys (the input is a pipe or a file on Windows),
/// a key of one byte from 0x80 up carries that byte too, else 0: a script saved in code
/// page 866 or 1251 may be read in another.
struct PlatformKey {
  uint32_t character;
  uint8_t scriptByte;
};

/// Waits for the next key typed on the console input, or given by a script, one
/// character a key. A typed key counts once, however long it is held.
PlatformKey PlatformNextKey(PlatformHandle input);

/// Discards keys typed but not yet read, so that none typed before a question answers it.
/// Answers given by a script through a pipe or a file stay.
void PlatformDiscardKeys(PlatformHandle input);

// ---- Files ----

// Each call that can fail returns the system's error, 0 for none.

/// Opens an existing regular file for reading and writing, shared with readers only: no
/// second writer can open it while it is open. *file receives the handle, kNoHandle on
/// failure. A name that is no regular file but no directory fails with kErrorDevice or
/// kErrorStream.
PlatformError PlatformOpenForUpdate(PlatformName name, PlatformHandle* file);

/// Opens an existing file for reading only, taking no lock and sharing it with readers
/// and writers alike: a read-only file, a file on a read-only medium and a file another
/// program holds open all open. *file receives the handle, kNoHandle on failure.
PlatformError PlatformOpenForReading(PlatformName name, PlatformHandle* file);

/// Reads up to size bytes at offset into buffer; *read receives the bytes read, fewer
/// than size only at the end of the file (0 at or past it). On failure *read is 0.
PlatformError PlatformReadAt(PlatformHandle file, uint64_t offset, void* buffer, uint32_t size,
                             uint32_t* read);

/// Writes size bytes at offset; *written receives the bytes moved, also when the write
/// fails after moving some, so that a write cut short can be told from one that failed.
PlatformError PlatformWriteAt(PlatformHandle file, uint64_t offset, const void* buffer,
                              uint32_t size, uint32_t* written);

/// Reads size bytes from a stream (a pipe, a terminal or a file, from where it stands),
/// fewer only at its end; *read receives the bytes read, also when the read fails after
/// taking some: they are gone from the stream.
PlatformError PlatformReadStream(PlatformHandle stream, void* buffer, uint32_t size,
                                 uint32_t* read);

/// Writes size bytes to a stream, whole; *written receives the bytes moved, also when
/// the write fails after moving some.
PlatformError PlatformWriteStream(PlatformHandle stream, const void* buffer, uint32_t size,
                                  uint32_t* written);

/// Closes the file. The handle is gone even when this fails (data that did not reach
/// the disk): it is never to be closed again.
PlatformError PlatformClose(PlatformHandle file);

/// The identity of an open file: two handles of the same identity reach the same file,
/// whatever names opened them.
struct PlatformFileId {
  uint64_t volume;
  uint64_t index;
};

/// The open file's identity. Fails when the system cannot tell.
PlatformError PlatformFileIdentity(PlatformHandle file, PlatformFileId* id);

/// The open file's size as it is now, cheaply, to be asked often.
PlatformError PlatformFileSize(PlatformHandle file, uint64_t* size);

/// The open file's size, and the time its data was last written, in the system's own
/// unit. Fails when the system cannot tell.
PlatformError PlatformFileStamp(PlatformHandle file, uint64_t* size, uint64_t* modified);

/// A note of a few bytes kept with a file but apart from its data, for the program's own
/// use: an extended attribute in the user namespace on Linux, a named stream on Windows
/// where the volume has them. Each takes the open file alone.
/// Reads the file's note into buffer, size bytes at most; *read receives its length.
/// Fails when the file has none, or the system keeps none there.
PlatformError PlatformReadNote(PlatformHandle file, void* buffer, uint32_t size, uint32_t* read);

/// Sets the file's note, in place of any. Fails when the system keeps none there.
PlatformError PlatformWriteNote(PlatformHandle file, const void* note, uint32_t size);

/// Removes the file's note, if it has one.
void PlatformRemoveNote(PlatformHandle file);

// ---- Messages ----

/// The system's own last error of this thread, as a fault event finds it: for the
/// critical-error entry alone, since every call above returns its error.
PlatformError PlatformLastError();

/// The system's text for an error number in the user's language, as code page 866 ready
/// to show (a character that code page 866 lacks as a question mark), into out (size
/// bytes): a text too long is cut and always terminated. False when the system has no
/// text for the number.
bool PlatformErrorText(PlatformError number, char* out, uint32_t size);

/// Exported under its plain name, as the system's loaders look it up.
#ifdef _WIN32
#define PLATFORM_EXPORT extern "C" __declspec(dllexport)
#else
#define PLATFORM_EXPORT extern "C" __attribute__((visibility("default")))
#endif
