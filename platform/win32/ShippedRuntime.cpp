// Replaces libstdc++'s throw helpers and default terminate handler, and MinGW's printf,
// in the shipped programs (see ShippedRuntime.h). Linked as an object library, so these
// definitions always win over the archive members that hold the originals.
#include "platform/win32/ShippedRuntime.h"

#include <windows.h>

#include <bits/functexcept.h>
#include <cstdarg>
#include <cstdio>
#include <new>

namespace __cxxabiv1 {
extern std::terminate_handler __terminate_handler;
}

// The handler std::terminate starts with, and the one std::set_terminate(nullptr) falls
// back to: libstdc++'s would demangle the exception's type name onto a console nobody
// sees, and bring the demangler and MinGW's printf along.
std::terminate_handler __cxxabiv1::__terminate_handler = kavrel::ShippedTerminate;
void __gnu_cxx::__verbose_terminate_handler() { kavrel::ShippedTerminate(); }

namespace kavrel {

const char* RuntimeFault::what() const noexcept { return what_ ? what_ : "RuntimeFault"; }

namespace {
FatalErrorHandler g_fatal = nullptr;
}  // namespace

void SetFatalErrorHandler(FatalErrorHandler handler) noexcept { g_fatal = handler; }

namespace {

BOOL CALLBACK FindVisibleWindow(HWND window, LPARAM found) {
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    if (process != ::GetCurrentProcessId() || !::IsWindowVisible(window)) return TRUE;
    *reinterpret_cast<bool*>(found) = true;
    return FALSE;
}

}  // namespace

void ShippedTerminate() noexcept {
    if (g_fatal != nullptr) g_fatal();
    // UNLHA32.dll has a handler of its own that Kavrel cannot set: in a run that shows no
    // window (unattended), no box may wait for a click.
    bool visible = false;
    ::EnumWindows(FindVisibleWindow, reinterpret_cast<LPARAM>(&visible));
    if (visible) {
        ::MessageBoxW(nullptr, L"内部エラーが起きたため終了します。", L"エラー", MB_OK | MB_ICONERROR | MB_TASKMODAL);
    }
    ::TerminateProcess(::GetCurrentProcess(), 6);  // Kavrel's exit code for an error of its own
    for (;;) {
    }
}

}  // namespace kavrel

// MinGW's own C99 printf (its formatter and floating-point conversion, about 25 KB),
// which libstdc++'s headers make std::snprintf call, gives way to the C runtime's:
// same result for the integer and text conversions, C99's return value and terminator.
extern "C" int __mingw_vsnprintf(char* buffer, std::size_t size, const char* format, va_list args) {
    va_list counting;
    va_copy(counting, args);
    const int needed = ::_vscprintf(format, counting);
    va_end(counting);
    if (size > 0) {
        const int written = ::_vsnprintf(buffer, size - 1, format, args);
        buffer[written < 0 || static_cast<std::size_t>(written) >= size - 1 ? size - 1 : written] = '\0';
    }
    return needed;
}

// Without exceptions (Kavrel.exe as shipped) there is no one to catch: the program ends
// through the fatal-error handler, with its message.
#if defined(__cpp_exceptions)
#define KAVREL_RAISE(error) throw error
#else
#define KAVREL_RAISE(error) ((void)(error), kavrel::ShippedTerminate())
#endif

namespace std {

void __throw_bad_alloc() { KAVREL_RAISE(std::bad_alloc()); }
void __throw_bad_array_new_length() { KAVREL_RAISE(std::bad_array_new_length()); }
// A size no container can hold is an allocation that cannot succeed.
void __throw_length_error(const char*) { KAVREL_RAISE(std::bad_alloc()); }

void __throw_bad_exception() { KAVREL_RAISE(kavrel::RuntimeFault("bad_exception")); }
void __throw_bad_cast() { KAVREL_RAISE(kavrel::RuntimeFault("bad_cast")); }
void __throw_bad_typeid() { KAVREL_RAISE(kavrel::RuntimeFault("bad_typeid")); }
void __throw_logic_error(const char* what) { KAVREL_RAISE(kavrel::RuntimeFault(what)); }
void __throw_domain_error(const char* what) { KAVREL_RAISE(kavrel::RuntimeFault(what)); }
void __throw_invalid_argument(const char* what) { KAVREL_RAISE(kavrel::RuntimeFault(what)); }
void __throw_out_of_range(const char* what) { KAVREL_RAISE(kavrel::RuntimeFault(what)); }
// The format stays unformatted: its arguments are not worth MinGW's printf.
void __throw_out_of_range_fmt(const char* format, ...) { KAVREL_RAISE(kavrel::RuntimeFault(format)); }
void __throw_runtime_error(const char* what) { KAVREL_RAISE(kavrel::RuntimeFault(what)); }
void __throw_range_error(const char* what) { KAVREL_RAISE(kavrel::RuntimeFault(what)); }
void __throw_overflow_error(const char* what) { KAVREL_RAISE(kavrel::RuntimeFault(what)); }
void __throw_underflow_error(const char* what) { KAVREL_RAISE(kavrel::RuntimeFault(what)); }

}  // namespace std
