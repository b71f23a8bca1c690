// Kavrel.exe as shipped is built without C++ exceptions. Nothing in it throws: an
// allocation that fails ends the program through the fatal-error handler (a message,
// the log, exit code 6) instead of throwing std::bad_alloc. The exception machinery that
// libstdc++ and libgcc would still link for the few of their parts built with exceptions
// (the unwinder, the personality routine: about 40 KB) is replaced by these stand-ins,
// which can only be reached if something throws after all, and then end the program the
// same way. Linked into Kavrel.exe of the shipped trees only; UNLHA32.dll keeps its
// exceptions.
#include <cstddef>
#include <cstdlib>
#include <new>

#include "platform/win32/ShippedRuntime.h"

namespace {

void* Allocate(std::size_t size) {
    void* p = std::malloc(size != 0 ? size : 1);
    if (p == nullptr) kavrel::ShippedTerminate();
    return p;
}

}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return std::malloc(size != 0 ? size : 1); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return std::malloc(size != 0 ? size : 1); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

extern "C" {

void* __cxa_allocate_exception(std::size_t) noexcept { kavrel::ShippedTerminate(); }
void __cxa_free_exception(void*) noexcept {}
void __cxa_throw(void*, void*, void (*)(void*)) { kavrel::ShippedTerminate(); }
void __cxa_rethrow() { kavrel::ShippedTerminate(); }
void* __cxa_begin_catch(void*) noexcept { kavrel::ShippedTerminate(); }
void __cxa_end_catch() {}
void __cxa_call_unexpected(void*) { kavrel::ShippedTerminate(); }
void _Unwind_Resume(void*) { kavrel::ShippedTerminate(); }
// Reached only while unwinding, which never starts here (the C one is what link-time
// optimisation gives cleanups it merges from code built with exceptions).
int __gxx_personality_v0(...) { kavrel::ShippedTerminate(); }
int __gcc_personality_v0(...) { kavrel::ShippedTerminate(); }
#if defined(__SEH__)
int __gxx_personality_seh0(...) { kavrel::ShippedTerminate(); }
int __gcc_personality_seh0(...) { kavrel::ShippedTerminate(); }
#endif

}  // extern "C"
