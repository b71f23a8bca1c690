// What the shipped programs (Kavrel.exe, UNLHA32.dll) take from the C++ runtime instead
// of libstdc++'s and MinGW's own, which would bring the whole exception-message
// machinery, the symbol demangler and MinGW's printf with them (about 100 KB per program).
//
// - libstdc++'s internal throws (std::__throw_*) become: std::bad_alloc for a failed or
//   impossible allocation (length_error included: a size no container can hold), and
//   `RuntimeFault` (a std::exception) for the logic errors (out_of_range and the rest).
//   So catch std::bad_alloc, std::exception or (...): never std::out_of_range and kin.
//   Where the shipped code is built without exceptions (Kavrel.exe), they end the
//   program through the fatal-error handler instead (NoExceptions.cpp).
// - std::terminate shows a short message box and ends the process with exit code 6
//   (Kavrel's code for an error of its own). Kavrel's window procedures catch first
//   (framework/Window.h), so this is the last resort outside them.
// - std::snprintf and kin format with the C runtime's (msvcrt) printf, not MinGW's:
//   %d %i %u %x %X %c %s with widths and flags, nothing else (no %zu, %lld, %f).
#pragma once

#include <exception>

namespace kavrel {

// Thrown where libstdc++ would throw a logic or runtime error; what() is its message.
class RuntimeFault : public std::exception {
public:
    explicit RuntimeFault(const char* what) noexcept : what_(what) {}
    const char* what() const noexcept override;

private:
    const char* what_;
};

// The terminate handler the shipped programs start with: the fatal-error handler below,
// or else a short message box, then exit code 6.
[[noreturn]] void ShippedTerminate() noexcept;

// What ends the program on an error of its own (out of memory in Kavrel.exe, which has no
// exceptions, or terminate): Kavrel sets one that logs and stays silent in an unattended
// run. It must not return.
using FatalErrorHandler = void (*)();
void SetFatalErrorHandler(FatalErrorHandler handler) noexcept;

}  // namespace kavrel
