#include <gtest/gtest.h>

#include <ctime>
#include <string>

#include "picker/EntryText.h"
#include "tests/picker/dialog/PickerTestSupport.h"

namespace {

constexpr ULONGLONG kTicksPerSecond = 10000000;
constexpr long long kUnixEpochIn1601Seconds = 11644473600LL;

FILETIME FromUnixSeconds(long long llSeconds) {
    const ULONGLONG ull =
        static_cast<ULONGLONG>(llSeconds + kUnixEpochIn1601Seconds) * kTicksPerSecond;
    return {static_cast<DWORD>(ull), static_cast<DWORD>(ull >> 32)};
}

} // namespace

TEST(FormatFileSize, GroupsDigitsByThreeOverTheFull64Bits) {
    const struct {
        ULONGLONG ullSize;
        const char* pcText;
    } rows[] = {
        {0, "0"},
        {7, "7"},
        {999, "999"},
        {1000, "1,000"},
        {100000, "100,000"},
        {999999, "999,999"},
        {1234567, "1,234,567"},
        {4294967295ull, "4,294,967,295"},
        {4294967296ull, "4,294,967,296"},
        {5000000000ull, "5,000,000,000"},
        {18446744073709551615ull, "18,446,744,073,709,551,615"},
    };
    for (const auto& row : rows) {
        CString strText("stale");
        FormatFileSize(static_cast<DWORD>(row.ullSize >> 32), static_cast<DWORD>(row.ullSize),
                       strText);
        EXPECT_STREQ(strText, row.pcText) << "size " << row.ullSize;
    }
}

TEST(FormatFileTime, ShowsLocalTimeWithinTheSigned32BitRange) {
    TESSALY_ZONE_OF_ITS_OWN();
    tessaly::test::ZoneScope zone("JST-9");
    const struct {
        FILETIME ft;
        const char* pcText;
    } rows[] = {
        {FromUnixSeconds(1177992309), "2007/05/01 13:05:09"},
        {FromUnixSeconds(0), "1970/01/01 09:00:00"},
        {FromUnixSeconds(-1), ""},
        {FromUnixSeconds(-315619200), ""}, // 1960
        {FromUnixSeconds(2147483647LL), "2038/01/19 12:14:07"},
        {FromUnixSeconds(2147483648LL), ""},
        {FromUnixSeconds(4102444800LL), ""}, // 2100
        {FILETIME{0, 0}, ""},
        {FILETIME{0xFFFFFFFFu, 0xFFFFFFFFu}, ""},
    };
    for (const auto& row : rows) {
        CString strText("stale");
        FormatFileTime(row.ft, strText);
        EXPECT_STREQ(strText, row.pcText)
            << "time " << row.ft.dwHighDateTime << ":" << row.ft.dwLowDateTime;
    }
}

// Windows converts with today's offset, also for a time on the other side of a daylight-saving
// change: the text is the UTC time shifted by the offset in force now.
TEST(FormatFileTime, UsesTodaysOffsetOnBothSidesOfDaylightSaving) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows' C runtime takes no daylight-saving rules from TZ";
#else
    tessaly::test::ZoneScope zone("CET-1CEST,M3.5.0,M10.5.0/3");
    const std::time_t tNow = std::time(nullptr);
    std::tm tmNow{};
    ASSERT_NE(localtime_r(&tNow, &tmNow), nullptr);
    // Mid-January and mid-July 2015, at noon UTC: far from the changes' own hours.
    for (long long llSeconds : {1421323200LL, 1436961600LL}) {
        const std::time_t tShifted = static_cast<std::time_t>(llSeconds + tmNow.tm_gmtoff);
        std::tm tmExpected{};
        ASSERT_NE(gmtime_r(&tShifted, &tmExpected), nullptr);
        char acExpected[64];
        std::strftime(acExpected, sizeof(acExpected), "%Y/%m/%d %H:%M:%S", &tmExpected);
        CString strText;
        FormatFileTime(FromUnixSeconds(llSeconds), strText);
        EXPECT_STREQ(strText, acExpected) << llSeconds;
    }
#endif
}
