#include "platform/framework/core/CTime.h"

#include <gtest/gtest.h>

namespace {

TEST(CTime, LocalFieldsRoundTrip) {
    const CTime time(2024, 2, 29, 13, 5, 9);
    EXPECT_EQ(2024, time.GetYear());
    EXPECT_EQ(2, time.GetMonth());
    EXPECT_EQ(29, time.GetDay());
    EXPECT_EQ(13, time.GetHour());
    EXPECT_EQ(5, time.GetMinute());
    EXPECT_EQ(9, time.GetSecond());
    EXPECT_EQ(5, time.GetDayOfWeek()); // a Thursday
    EXPECT_STREQ("2024-02-29 13:05:09", time.Format("%Y-%m-%d %H:%M:%S"));
    EXPECT_FALSE(CTime::GetCurrentTime() < time);
}

} // namespace
