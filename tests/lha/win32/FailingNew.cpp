// A file of its own, so that the compiler does not see malloc() behind operator new and
// take libstdc++'s delete (which calls free()) for a mismatch.
#include "FailingNew.h"

#include <cstdlib>
#include <new>

bool g_armed = false;
long g_count = 0;
long g_failAt = 0;

void* operator new(std::size_t size) {
    if (g_armed && ++g_count == g_failAt) throw std::bad_alloc();
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
