#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <random>
#include <string>

#include "platform/win32/Win32.h"
#include "tests/common/Platform.h"

namespace {

constexpr ULONGLONG kTicksPerSecond = 10000000;
constexpr ULONGLONG kUnixEpoch = 116444736000000000ull; // 1970-01-01 in FILETIME ticks

FILETIME Ft(ULONGLONG ull) {
    return {static_cast<DWORD>(ull), static_cast<DWORD>(ull >> 32)};
}

[[maybe_unused]] ULONGLONG Ticks(const FILETIME& ft) {
    return (static_cast<ULONGLONG>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

#ifndef _WIN32 // TZ is how POSIX names the zone
// Sets TZ for one scope, restoring the previous zone.
class ZoneScope {
public:
    explicit ZoneScope(const char* pcZone) {
        const char* pcOld = std::getenv("TZ");
        m_bHadOld = pcOld != nullptr;
        if (m_bHadOld) {
            m_strOld = pcOld;
        }
        setenv("TZ", pcZone, 1);
        tzset();
    }
    ~ZoneScope() {
        if (m_bHadOld) {
            setenv("TZ", m_strOld.c_str(), 1);
        } else {
            unsetenv("TZ");
        }
        tzset();
    }

private:
    bool m_bHadOld = false;
    std::string m_strOld;
};
#endif

} // namespace

TEST(FileTimeToSystemTime, CalendarFieldsAtKnownPoints) {
    const struct {
        ULONGLONG ullTicks;
        SYSTEMTIME st;
    } rows[] = {
        {0, {1601, 1, 1, 1, 0, 0, 0, 0}},
        {kUnixEpoch, {1970, 1, 4, 1, 0, 0, 0, 0}},
        // 1900 is no leap year: the day after 02-28 is 03-01.
        {kUnixEpoch - 2203891200ull * kTicksPerSecond, {1900, 3, 4, 1, 0, 0, 0, 0}},
        // 2000 is one: 02-29 exists.
        {kUnixEpoch + 951827696ull * kTicksPerSecond + 7891234, {2000, 2, 2, 29, 12, 34, 56, 789}},
        {kUnixEpoch + 2147483648ull * kTicksPerSecond, {2038, 1, 2, 19, 3, 14, 8, 0}},
        {0x7FFFFFFFFFFFFFFFull, {30828, 9, 4, 14, 2, 48, 5, 477}},
    };
    for (const auto& row : rows) {
        const FILETIME ft = Ft(row.ullTicks);
        SYSTEMTIME st{};
        ASSERT_TRUE(FileTimeToSystemTime(&ft, &st)) << row.ullTicks;
        EXPECT_EQ(st.wYear, row.st.wYear) << row.ullTicks;
        EXPECT_EQ(st.wMonth, row.st.wMonth) << row.ullTicks;
        EXPECT_EQ(st.wDayOfWeek, row.st.wDayOfWeek) << row.ullTicks;
        EXPECT_EQ(st.wDay, row.st.wDay) << row.ullTicks;
        EXPECT_EQ(st.wHour, row.st.wHour) << row.ullTicks;
        EXPECT_EQ(st.wMinute, row.st.wMinute) << row.ullTicks;
        EXPECT_EQ(st.wSecond, row.st.wSecond) << row.ullTicks;
        EXPECT_EQ(st.wMilliseconds, row.st.wMilliseconds) << row.ullTicks;
    }
}

TEST(FileTimeToSystemTime, AgreesWithTheCLibraryOverFourCenturies) {
    std::mt19937_64 random(20240501);
    // 1601 .. 2400, against the standard library's civil calendar.
    std::uniform_int_distribution<long long> seconds(-11644473600LL, 13569465600LL);
    for (int i = 0; i < 20000; ++i) {
        const long long llSeconds = seconds(random);
        const FILETIME ft = Ft(static_cast<ULONGLONG>(llSeconds + 11644473600LL) * kTicksPerSecond);
        SYSTEMTIME st{};
        ASSERT_TRUE(FileTimeToSystemTime(&ft, &st));
        namespace chrono = std::chrono;
        const chrono::sys_seconds when{chrono::seconds(llSeconds)};
        const chrono::sys_days day = chrono::floor<chrono::days>(when);
        const chrono::year_month_day date(day);
        const chrono::hh_mm_ss time(when - day);
        ASSERT_EQ(st.wYear, static_cast<int>(date.year())) << llSeconds;
        ASSERT_EQ(st.wMonth, static_cast<unsigned>(date.month())) << llSeconds;
        ASSERT_EQ(st.wDay, static_cast<unsigned>(date.day())) << llSeconds;
        ASSERT_EQ(st.wDayOfWeek, chrono::weekday(day).c_encoding()) << llSeconds;
        ASSERT_EQ(st.wHour, time.hours().count()) << llSeconds;
        ASSERT_EQ(st.wMinute, time.minutes().count()) << llSeconds;
        ASSERT_EQ(st.wSecond, time.seconds().count()) << llSeconds;
    }
}

TEST(FileTimeToSystemTime, RefusesValuesWithTheTopBitSet) {
    const FILETIME ft = Ft(0x8000000000000000ull);
    SYSTEMTIME st{};
    SetLastError(0);
    EXPECT_FALSE(FileTimeToSystemTime(&ft, &st));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST(FileTimeToLocalFileTime, AddsTheZonesCurrentOffset) {
    TESSALY_STAND_IN_ONLY("the time zone set through TZ");
#ifndef _WIN32
    const FILETIME ft = Ft(kUnixEpoch);
    FILETIME ftLocal{};
    {
        ZoneScope zone("JST-9");
        ASSERT_TRUE(FileTimeToLocalFileTime(&ft, &ftLocal));
        EXPECT_EQ(Ticks(ftLocal), kUnixEpoch + 9 * 3600 * kTicksPerSecond);
    }
    {
        ZoneScope zone("EST5");
        ASSERT_TRUE(FileTimeToLocalFileTime(&ft, &ftLocal));
        EXPECT_EQ(Ticks(ftLocal), kUnixEpoch - 5 * 3600 * kTicksPerSecond);
    }
    {
        ZoneScope zone("UTC0");
        ASSERT_TRUE(FileTimeToLocalFileTime(&ft, &ftLocal));
        EXPECT_EQ(Ticks(ftLocal), kUnixEpoch);
    }
#endif
}

TEST(FileTimeToLocalFileTime, RefusesResultsOutsideTheRange) {
    TESSALY_STAND_IN_ONLY("the time zone set through TZ");
#ifndef _WIN32
    FILETIME ftLocal{};
    {
        ZoneScope zone("EST5");
        const FILETIME ftEarly = Ft(3600 * kTicksPerSecond);
        SetLastError(0);
        EXPECT_FALSE(FileTimeToLocalFileTime(&ftEarly, &ftLocal));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    }
    {
        ZoneScope zone("JST-9");
        const FILETIME ftLate = Ft(0x7FFFFFFFFFFFFFFFull - kTicksPerSecond);
        EXPECT_FALSE(FileTimeToLocalFileTime(&ftLate, &ftLocal));
    }
#endif
}
