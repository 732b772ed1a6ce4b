// The one door to the operating system.
//
// Every subsystem talks to the system through the Win32 functions declared here, by
// their own names and signatures. On Windows this header is <windows.h>. Elsewhere it
// declares the same small subset, and platform/posix/ implements it on top of POSIX so
// that the program sees a Windows installation whose ANSI code page is 1251 and whose
// OEM (console) code page is 866.
#pragma once

#include <stdint.h>

#ifdef _WIN32

// The system's own declarations. Its WCHAR is wchar_t, 16 bits wide there; code that
// needs a UTF-16 unit writes WCHAR, never char16_t or wchar_t.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

static_assert(sizeof(WCHAR) == 2, "a WCHAR is one UTF-16 unit");

// Exported under its plain name, as the system's loaders look it up.
#define PLATFORM_EXPORT extern "C" __declspec(dllexport)

#else  // POSIX

#include <errno.h>
#include <stddef.h>

#define WINAPI
#define PLATFORM_EXPORT extern "C" __attribute__((visibility("default")))

typedef int BOOL;
typedef unsigned char BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef uint32_t UINT;
typedef char CHAR;
typedef char16_t WCHAR;
typedef size_t SIZE_T;
typedef LONG* PLONG;
typedef DWORD* LPDWORD;
typedef BYTE* LPBYTE;
typedef CHAR* LPSTR;
typedef const CHAR* LPCSTR;
typedef WCHAR* LPWSTR;
typedef const WCHAR* LPCWSTR;
typedef void* LPVOID;
typedef const void* LPCVOID;
typedef void* HANDLE;
typedef HANDLE HLOCAL;
typedef struct PlatformKey* HKEY;
typedef HKEY* PHKEY;
typedef LONG LSTATUS;
typedef DWORD REGSAM;
typedef struct PlatformSecurityAttributes* LPSECURITY_ATTRIBUTES;
typedef BOOL* LPBOOL;

#define TRUE 1
#define FALSE 0

#define INVALID_HANDLE_VALUE ((HANDLE)(intptr_t)-1)
#define STD_INPUT_HANDLE ((DWORD)-10)
#define STD_OUTPUT_HANDLE ((DWORD)-11)

#define NO_ERROR 0
#define ERROR_SUCCESS 0L
#define ERROR_FILE_NOT_FOUND 2L
// The layer's last error is an errno value: a name too long is ENAMETOOLONG there.
#define ERROR_FILENAME_EXCED_RANGE ((DWORD)ENAMETOOLONG)
#define ERROR_HANDLE_EOF 38L
#define ERROR_INSUFFICIENT_BUFFER 122L
#define ERROR_MORE_DATA 234L
#define ERROR_MR_MID_NOT_FOUND 317L

#define INFINITE 0xFFFFFFFFu
#define WAIT_OBJECT_0 0u
#define WAIT_TIMEOUT 0x00000102u
#define WAIT_FAILED 0xFFFFFFFFu

#define GENERIC_READ 0x80000000u
#define GENERIC_WRITE 0x40000000u
#define FILE_SHARE_READ 0x00000001u
#define FILE_SHARE_WRITE 0x00000002u
#define OPEN_EXISTING 3u
#define FILE_ATTRIBUTE_NORMAL 0x00000080u
#define FILE_BEGIN 0u
#define FILE_CURRENT 1u
#define FILE_END 2u
#define INVALID_SET_FILE_POINTER ((DWORD)-1)

#define LMEM_FIXED 0x0000u

#define CP_ACP 0u
#define CP_OEMCP 1u

#define FORMAT_MESSAGE_ALLOCATE_BUFFER 0x00000100u
#define FORMAT_MESSAGE_IGNORE_INSERTS 0x00000200u
#define FORMAT_MESSAGE_FROM_SYSTEM 0x00001000u

#define HKEY_CURRENT_USER ((HKEY)(uintptr_t)0x80000001u)
#define KEY_QUERY_VALUE 0x0001u
#define REG_SZ 1u

#define KEY_EVENT 0x0001u

typedef struct _KEY_EVENT_RECORD {
  BOOL bKeyDown;
  WORD wRepeatCount;
  WORD wVirtualKeyCode;
  WORD wVirtualScanCode;
  union {
    WCHAR UnicodeChar;
    CHAR AsciiChar;
  } uChar;
  DWORD dwControlKeyState;
} KEY_EVENT_RECORD;

// A transfer's file offset, given to ReadFile and WriteFile on a handle opened for
// synchronous use: the call transfers at that offset and returns when it is done.
typedef struct _OVERLAPPED {
  uintptr_t Internal;
  uintptr_t InternalHigh;
  DWORD Offset;
  DWORD OffsetHigh;
  HANDLE hEvent;
} OVERLAPPED, *LPOVERLAPPED;

typedef struct _INPUT_RECORD {
  WORD EventType;
  union {
    KEY_EVENT_RECORD KeyEvent;
  } Event;
} INPUT_RECORD, *PINPUT_RECORD;

// Process
LPSTR GetCommandLineA();
[[noreturn]] void ExitProcess(UINT exitCode);
HANDLE GetStdHandle(DWORD which);
DWORD GetLastError();
void SetLastError(DWORD error);

// Console
BOOL WriteConsoleW(HANDLE output, const void* buffer, DWORD count, LPDWORD written,
                   LPVOID reserved);
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);
BOOL GetNumberOfConsoleInputEvents(HANDLE input, LPDWORD count);
BOOL ReadConsoleInputW(HANDLE input, PINPUT_RECORD records, DWORD length, LPDWORD read);
BOOL FlushConsoleInputBuffer(HANDLE input);

// Files
HANDLE CreateFileW(LPCWSTR name, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES security,
                   DWORD disposition, DWORD flags, HANDLE templateFile);
BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, LPOVERLAPPED overlapped);
BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, LPDWORD written,
               LPOVERLAPPED overlapped);
DWORD SetFilePointer(HANDLE file, LONG distance, PLONG distanceHigh, DWORD method);
BOOL CloseHandle(HANDLE handle);
HLOCAL LocalAlloc(UINT flags, SIZE_T bytes);
HLOCAL LocalFree(HLOCAL memory);

// Code pages and system messages
int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR source, int sourceBytes, LPWSTR wide,
                        int wideChars);
int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wide, int wideChars, LPSTR dest,
                        int destBytes, LPCSTR defaultChar, LPBOOL usedDefault);
BOOL CharToOemA(LPCSTR source, LPSTR dest);
DWORD FormatMessageW(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId, LPWSTR buffer,
                     DWORD size, void* arguments);

// Registry
LSTATUS RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM access, PHKEY result);
LSTATUS RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                         LPDWORD dataSize);
LSTATUS RegCloseKey(HKEY key);

#endif  // _WIN32

/// Called first by main(), before the entry routine: lets the platform layer take the
/// process arguments and prepare its services. Does nothing on Windows.
void PlatformStart(int argc, char** argv);
