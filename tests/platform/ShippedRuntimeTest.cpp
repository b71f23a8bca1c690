// The C++ runtime pieces of the shipped programs: what libstdc++ throws from inside the
// containers must stay catchable the way the shipped code catches it (std::bad_alloc for
// memory, std::exception for the rest), and std::terminate must not fall back to
// libstdc++'s verbose handler.
#include <gtest/gtest.h>

#include <cstdio>
#include <exception>
#include <new>
#include <string>
#include <vector>

#include "platform/win32/ShippedRuntime.h"

namespace kavrel {
namespace {

// What a catch site of the shipped code sees: 1 bad_alloc, 2 another std::exception,
// 3 anything else, 0 nothing thrown.
template <typename F>
int Caught(F&& f) {
    try {
        f();
    } catch (const std::bad_alloc&) {
        return 1;
    } catch (const std::exception&) {
        return 2;
    } catch (...) {
        return 3;
    }
    return 0;
}

TEST(ShippedRuntime, ImpossibleSizesAreMemoryFailures) {
    EXPECT_EQ(Caught([] { std::vector<char> v; v.reserve(v.max_size() + 1); }), 1);
    EXPECT_EQ(Caught([] { std::string s; s.resize(s.max_size() + 1); }), 1);
    EXPECT_EQ(Caught([] { std::string s(8, 'x'); s.append(s.max_size(), 'y'); }), 1);
    EXPECT_EQ(Caught([] { std::vector<int> v(static_cast<std::size_t>(-1) / 2); }), 1);
    volatile std::size_t huge = static_cast<std::size_t>(-1) / 2;
    EXPECT_EQ(Caught([&] { std::vector<char> v(huge); }), 1);  // a real allocation failure
}

TEST(ShippedRuntime, RangeErrorsAreRuntimeFaultsWithTheirMessage) {
    const std::string text = "abc";
    try {
        (void)text.substr(4);
        FAIL() << "substr past the end did not throw";
    } catch (const RuntimeFault& fault) {
        EXPECT_NE(std::string(fault.what()).find("__pos"), std::string::npos) << fault.what();
    }
    EXPECT_EQ(Caught([&] { (void)text.at(3); }), 2);
    EXPECT_EQ(Caught([] { std::vector<int> v; (void)v.at(0); }), 2);
    EXPECT_EQ(Caught([] { std::string s(static_cast<const char*>(nullptr)); }), 2);
    EXPECT_EQ(Caught([&] { std::string s; s.insert(5, "x"); }), 2);
    EXPECT_EQ(Caught([] { std::string s = "12"; s.replace(3, 1, "x"); }), 2);
}

TEST(ShippedRuntime, TerminateStartsWithOurHandler) {
    EXPECT_EQ(std::get_terminate(), &ShippedTerminate);
    // set_terminate(nullptr) falls back to libstdc++'s verbose handler, which is ours too
    const std::terminate_handler previous = std::set_terminate(nullptr);
    EXPECT_EQ(previous, &ShippedTerminate);
    std::set_terminate(previous);
}

TEST(ShippedRuntime, SnprintfKeepsTheC99Contract) {
    char buffer[16];
    EXPECT_EQ(std::snprintf(buffer, sizeof buffer, "~kvlha%04u.tmp", 7u), 14);
    EXPECT_STREQ(buffer, "~kvlha0007.tmp");
    EXPECT_EQ(std::snprintf(buffer, sizeof buffer, "%d|%x|%s|%c", -42, 255u, "ab", 'z'), 11);
    EXPECT_STREQ(buffer, "-42|ff|ab|z");
    // too long: cut, terminated, and the full length still told
    EXPECT_EQ(std::snprintf(buffer, sizeof buffer, "%s", "0123456789abcdefghij"), 20);
    EXPECT_STREQ(buffer, "0123456789abcde");
    // exactly one short of the buffer, and exactly the buffer
    EXPECT_EQ(std::snprintf(buffer, sizeof buffer, "%s", "0123456789abcde"), 15);
    EXPECT_STREQ(buffer, "0123456789abcde");
    EXPECT_EQ(std::snprintf(buffer, sizeof buffer, "%s", "0123456789abcdef"), 16);
    EXPECT_STREQ(buffer, "0123456789abcde");
    // only measuring
    EXPECT_EQ(std::snprintf(nullptr, 0, "%05d", 12), 5);
    buffer[0] = 'q';
    EXPECT_EQ(std::snprintf(buffer, 1, "%s", "xyz"), 3);
    EXPECT_EQ(buffer[0], '\0');
}

}  // namespace
}  // namespace kavrel
