// The test program's operator new counts allocations while armed and fails the one
// numbered g_failAt (from 1; 0: none) with std::bad_alloc, as real exhaustion does.
#pragma once

extern bool g_armed;
extern long g_count;
extern long g_failAt;
