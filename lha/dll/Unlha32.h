// UNLHA32.dll as Kavrel's update run binds it: three entries, exported by ordinal only
// (no names), WINAPI (stdcall on 32-bit Windows).
//   6   UnlhaEntry6(int)  set-up call, given 0 by the update run; the result is ignored
//   8   UnlhaEntry8(int)  set-up call, given 1 by the update run; the result is ignored
//   301 Unlha(owner, command line, output, output size)
//       command line: code page 932, "e -mcw<windows dir> \"<archive without .lzh>\" \"<dest>\\\""
//       result 0 = extracted; nonzero = failed, and `output` holds a zero-terminated
//       Japanese message (code page 932) of at most outputSize-1 bytes.
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

// Results of Unlha besides 0.
#define UNLHA32_FAILED 1        // the archive could not be extracted; see the message
#define UNLHA32_BAD_COMMAND 2   // the command line was not understood
