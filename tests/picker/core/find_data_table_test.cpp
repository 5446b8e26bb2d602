#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "picker/core/FindDataTable.h"

namespace {

WIN32_FIND_DATAA Record(const std::string& strName, DWORD dwTag) {
    WIN32_FIND_DATAA data{};
    strName.copy(data.cFileName, MAX_PATH - 1);
    data.dwFileAttributes = dwTag % 2 == 0 ? FILE_ATTRIBUTE_DIRECTORY : 0;
    data.ftCreationTime = {dwTag + 1, dwTag + 2};
    data.ftLastAccessTime = {dwTag + 3, dwTag + 4};
    data.ftLastWriteTime = {dwTag + 5, dwTag + 6};
    data.nFileSizeHigh = dwTag + 7;
    data.nFileSizeLow = dwTag + 8;
    data.dwReserved0 = dwTag + 9;
    data.dwReserved1 = dwTag + 10;
    return data;
}

// Every field, names up to their terminator.
void ExpectSameRecord(const WIN32_FIND_DATAA& got, const WIN32_FIND_DATAA& want) {
    EXPECT_EQ(got.dwFileAttributes, want.dwFileAttributes);
    EXPECT_EQ(got.ftCreationTime.dwLowDateTime, want.ftCreationTime.dwLowDateTime);
    EXPECT_EQ(got.ftCreationTime.dwHighDateTime, want.ftCreationTime.dwHighDateTime);
    EXPECT_EQ(got.ftLastAccessTime.dwLowDateTime, want.ftLastAccessTime.dwLowDateTime);
    EXPECT_EQ(got.ftLastAccessTime.dwHighDateTime, want.ftLastAccessTime.dwHighDateTime);
    EXPECT_EQ(got.ftLastWriteTime.dwLowDateTime, want.ftLastWriteTime.dwLowDateTime);
    EXPECT_EQ(got.ftLastWriteTime.dwHighDateTime, want.ftLastWriteTime.dwHighDateTime);
    EXPECT_EQ(got.nFileSizeHigh, want.nFileSizeHigh);
    EXPECT_EQ(got.nFileSizeLow, want.nFileSizeLow);
    EXPECT_EQ(got.dwReserved0, want.dwReserved0);
    EXPECT_EQ(got.dwReserved1, want.dwReserved1);
    EXPECT_STREQ(got.cFileName, want.cFileName);
    EXPECT_STREQ(got.cAlternateFileName, want.cAlternateFileName);
}

} // namespace

TEST(FindDataTable, GivesBackEveryFieldItWasGiven) {
    WIN32_FIND_DATAA withAlt = Record("Long File Name.wav", 3);
    std::strcpy(withAlt.cAlternateFileName, "LONGFI~1.WAV");
    WIN32_FIND_DATAA unterminated = Record("", 5);
    std::memset(unterminated.cFileName, 'u', sizeof unterminated.cFileName);
    std::memset(unterminated.cAlternateFileName, 'a', sizeof unterminated.cAlternateFileName);
    const struct {
        const char* pcCase;
        WIN32_FIND_DATAA data;
        std::string strName; // as read back
        std::string strAlt;
    } rows[] = {
        {"plain", Record("a.wav", 1), "a.wav", ""},
        {"folder", Record("sub", 2), "sub", ""},
        {"alternate name", withAlt, "Long File Name.wav", "LONGFI~1.WAV"},
        {"longest name", Record(std::string(MAX_PATH - 1, 'n'), 4), std::string(MAX_PATH - 1, 'n'),
         ""},
        // A buffer without terminator is cut, never read past.
        {"unterminated", unterminated, std::string(MAX_PATH - 1, 'u'), std::string(13, 'a')},
        {"empty name", Record("", 6), "", ""},
    };
    CFindDataTable table;
    int i = 0;
    for (const auto& row : rows) {
        ASSERT_TRUE(table.SetAt(i++, row.data));
    }
    ASSERT_TRUE(table.SetAt(2600, rows[0].data)); // past the first 2000
    EXPECT_EQ(table.GetSize(), 2601);
    EXPECT_EQ(table.GetCapacity(), 7000);
    ExpectSameRecord(table[2600], rows[0].data);
    ExpectSameRecord(table[2599], WIN32_FIND_DATAA{});
    i = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.pcCase);
        WIN32_FIND_DATAA want = row.data;
        std::memset(want.cFileName, 0, sizeof want.cFileName);
        std::memset(want.cAlternateFileName, 0, sizeof want.cAlternateFileName);
        row.strName.copy(want.cFileName, sizeof want.cFileName);
        row.strAlt.copy(want.cAlternateFileName, sizeof want.cAlternateFileName);
        ExpectSameRecord(table[i], want);
        EXPECT_STREQ(table.GetName(i), row.strName.c_str());
        EXPECT_EQ(table.GetFileSize(i),
                  (static_cast<ULONGLONG>(want.nFileSizeHigh) << 32) | want.nFileSizeLow);
        ++i;
    }
    EXPECT_FALSE(table.SetAt(-1, rows[0].data));
}

TEST(FindDataTable, ListingAgainAndAgainKeepsNamesAndReusesThePool) {
    CFindDataTable table;
    const int kRecords = 3000;
    for (int iRound = 0; iRound < 60; ++iRound) {
        for (int i = 0; i < kRecords; ++i) {
            const std::string strName = "round " + std::to_string(iRound) + " entry " +
                                        std::to_string(i) + std::string(i % 50, '_');
            ASSERT_TRUE(table.SetAt(i, Record(strName, static_cast<DWORD>(i))));
        }
        // Sorting and the confirmation move records about, sharing names between two records.
        table.Swap(0, kRecords - 1);
        table.CopyRecord(1, 2);
        for (int i = 0; i < kRecords; ++i) {
            const int iFrom = i == 0 ? kRecords - 1 : i == kRecords - 1 ? 0 : i == 1 ? 2 : i;
            const std::string strName = "round " + std::to_string(iRound) + " entry " +
                                        std::to_string(iFrom) + std::string(iFrom % 50, '_');
            ASSERT_STREQ(table.GetName(i), strName.c_str()) << "round " << iRound << " row " << i;
            ASSERT_EQ(table[i].dwReserved0, static_cast<DWORD>(iFrom) + 9);
        }
    }
    // Sixty listings of about 200 KB of names: overwritten names are dropped, not kept.
    EXPECT_LT(table.GetPoolBytes(), 4u << 20);
    table.RemoveAt(0);
    EXPECT_EQ(table.GetSize(), kRecords - 1);
}

// A sort's swaps and reorders are noted, so that the rows can follow their records; anything else
// that changes the table drops the notes rather than give a wrong order.
TEST(FindDataTable, OriginsFollowSwapsAndReordersUntilTheTableChangesOtherwise) {
    const struct {
        const char* pcCase;
        void (*pfnChange)(CFindDataTable&);
        std::vector<int> vecOrigins; // the first five places; empty: the notes dropped
    } cases[] = {
        {"untouched", [](CFindDataTable&) {}, {0, 1, 2, 3, 4}},
        {"swaps and a reorder",
         [](CFindDataTable& table) {
             table.Swap(0, 4);
             table.Reorder(1, {3, 1, 2});
             table.Swap(3, 0);
         },
         {2, 3, 1, 4, 0}},
        {"a record set", [](CFindDataTable& table) { table.SetAt(1, Record("x", 1)); }, {}},
        {"a record copied", [](CFindDataTable& table) { table.CopyRecord(1, 2); }, {}},
        {"a record removed", [](CFindDataTable& table) { table.RemoveAt(0); }, {}},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.pcCase);
        CFindDataTable table;
        for (int i = 0; i < 5; ++i) {
            ASSERT_TRUE(table.SetAt(i, Record("entry " + std::to_string(i), 0)));
        }
        table.TrackOrigins();
        test.pfnChange(table);
        std::vector<int> vecOrigins = table.TakeOrigins();
        if (!vecOrigins.empty()) {
            EXPECT_EQ(vecOrigins.size(), static_cast<size_t>(table.GetSize()));
            for (int i = 0; i < 5; ++i) {
                EXPECT_STREQ(
                    table.GetName(i),
                    ("entry " + std::to_string(vecOrigins[static_cast<size_t>(i)])).c_str());
            }
            vecOrigins.resize(5);
        }
        EXPECT_EQ(vecOrigins, test.vecOrigins);
        EXPECT_TRUE(table.TakeOrigins().empty()); // taken once
    }
}
