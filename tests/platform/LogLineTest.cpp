#include <gtest/gtest.h>

#include "platform/LogLine.h"

namespace kavrel {
namespace {

TEST(LogLineTest, TimestampToTheMillisecondThenTheEventAndCrLf) {
    const LocalTime t{2026, 12, 8, 9, 4, 2, 7};
    EXPECT_EQ(FormatLogLine(t, "item 1/7: archive D:\\DEMO\\PROG.lzh"),
              "2026-12-08 09:04:02.007 item 1/7: archive D:\\DEMO\\PROG.lzh\r\n");
}

TEST(LogLineTest, EveryEventStaysOneLine) {
    const LocalTime t{2026, 1, 2, 3, 4, 5, 678};
    EXPECT_EQ(FormatLogLine(t, "a\nb\r\nc\rd"), "2026-01-02 03:04:05.678 a / b / c / d\r\n");
    EXPECT_EQ(FormatLogLine(t, "システムは正常に更新されました。"),
              "2026-01-02 03:04:05.678 システムは正常に更新されました。\r\n");
}

}  // namespace
}  // namespace kavrel
