// UNLHA32.dll as Kavrel's update run binds it: three entries, exported by ordinal only
// (no names), WINAPI (stdcall on 32-bit Windows).
//   6   UnlhaEntry6(int)  set-up call, given 0 by the update run; the result is ignored
//   8   UnlhaEntry8(int)  set-up call, given 1 by the update run; the result is ignored
//   301 Unlha(owner, command line, output, output size)
//       command line: code page 932, "e -mcw<work folder> \"<archive without .lzh>\" \"<dest>\\\""
//       (the work folder may hold blanks: it runs up to the first quoted operand). A work
//       folder named "~Kavrel" that exists is where the new and old files wait and the
//       commit is recorded (lha/Staging.h); any other (the Windows directory) is ignored;
//       "t -mcw<windows dir> \"<archive>\"" tests the archive in full and writes nothing.
//       result 0 = extracted (or tested); nonzero = failed, and `output` holds a
//       zero-terminated Japanese message (code page 932) of at most outputSize-1 bytes.
//       e and x are all-or-nothing: every entry is decoded and checked before the first
//       installed file is replaced, and on failure every installed file is as it was.
// Link the CMake target `unlha32_import` to bind an executable to these ordinals at
// load time; UNLHA32.dll must then lie beside the executable.
#pragma once

#include <windows.h>

#if defined(UNLHA32_BUILDING)
#define UNLHA32_API
#else
#define UNLHA32_API __declspec(dllimport)
#endif

#ifdef __cplusplus
extern "C" {
#endif

UNLHA32_API int WINAPI UnlhaEntry6(int value);
UNLHA32_API int WINAPI UnlhaEntry8(int value);
UNLHA32_API int WINAPI Unlha(HWND owner, LPCSTR commandLine, LPSTR output, DWORD outputSize);

#ifdef __cplusplus
}
#endif

// Progress reports. When the owner window given to entry 301 is a window, the library
// sends it (SendMessageW, on the calling thread) the message registered under
// UNLHA32_PROGRESS_MESSAGE_NAME, wParam = one of UNLHA32_PROGRESS_*, lParam = a pointer
// to UnlhaProgress, valid only during the call. The window's answer is ignored.
#define UNLHA32_PROGRESS_MESSAGE_NAME L"Kavrel.UNLHA32.Progress"
#define UNLHA32_PROGRESS_BEGIN 1  // every header read: the totals are known
#define UNLHA32_PROGRESS_BYTES 2  // compressed bytes read so far
#define UNLHA32_PROGRESS_ENTRY 3  // one entry in place (e, x) or checked (t)
#define UNLHA32_PROGRESS_END   4  // the call is over, successful or not
typedef struct UnlhaProgress {
    DWORD cbSize;            // sizeof(UnlhaProgress)
    char command;            // 'e', 'x' or 't'
    ULONGLONG bytesRead;     // compressed bytes of this archive read so far
    ULONGLONG bytesTotal;    // compressed bytes of every entry to be read
    DWORD entryIndex;        // ENTRY: 0-based among the entries reported
    DWORD entryCount;        // number of entries that will be reported
    LPCWSTR entryName;       // ENTRY: the stored path, UTF-16 (null otherwise)
    ULONGLONG entrySize;     // ENTRY: original size in bytes
    WORD entryCrc;           // ENTRY: CRC-16 of the entry
    BOOL crcChecked;         // ENTRY: the CRC was verified
    BOOL succeeded;          // END: the call returned 0
    LPCWSTR message;         // END: the whole message, UTF-16, however long (null: none);
                             // the output buffer holds what fits of it
} UnlhaProgress;
// Also: BYTES is sent when the bytes read have grown and 50 ms have passed since the last
// report, and always once at 100 %. END
// ends every e, x or t call whose command line was understood, also one that failed
// before BEGIN. With `l`, with a null owner or one that is not a window, nothing is sent.
// Entry names use a backslash between folders.

// Results of Unlha besides 0.
#define UNLHA32_FAILED 1        // the archive could not be extracted; see the message
#define UNLHA32_BAD_COMMAND 2   // the command line was not understood
