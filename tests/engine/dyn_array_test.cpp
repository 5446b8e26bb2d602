#include <gtest/gtest.h>

#include <string>

#include "engine/DynArray.h"
#include "platform/framework/core/CString.h"

TEST(CDynArray, GrowthRuleSteps) {
    struct Row {
        DWORD dwCapacity;
        DWORD dwNext;
    };
    const Row rows[] = {
        {0, 1000},
        {1000, 2000},
        {4096, 5096},
        {0xFFFFFC17, 0xFFFFFFFF},
        {0xFFFFFC18, 0xFFFFFC19},
        {0xFFFFFFFE, 0xFFFFFFFF},
        {0xFFFFFFFF, 0}, // cannot grow: the append fails
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        EXPECT_EQ(CDynArray<int>::NextCapacity(rows[i].dwCapacity), rows[i].dwNext) << "row " << i;
    }
}

TEST(CDynArray, AppendsGrowTheReportedCapacityByThousands) {
    CDynArray<DWORD> a;
    EXPECT_FALSE(a.OwnsStorage());
    for (DWORD i = 0; i < 2500; ++i) {
        ASSERT_TRUE(a.Add(i));
        const DWORD dwExpected = (i / 1000 + 1) * 1000;
        ASSERT_EQ(a.GetCapacity(), dwExpected) << "after " << i + 1 << " appends";
    }
    EXPECT_TRUE(a.OwnsStorage());
    EXPECT_EQ(a.GetCount(), 2500u);
    for (DWORD i = 0; i < 2500; ++i) {
        ASSERT_EQ(a[i], i);
    }
}

TEST(CDynArray, SetCapacityKeepsLowersOrStartsEmpty) {
    CDynArray<CString> a;
    for (int i = 0; i < 1500; ++i) {
        a.Add(CString(std::to_string(i).c_str()));
    }
    // Keep, larger: content and count stay.
    ASSERT_TRUE(a.SetCapacity(5000, TRUE));
    EXPECT_EQ(a.GetCapacity(), 5000u);
    EXPECT_EQ(a.GetCount(), 1500u);
    EXPECT_EQ(a[1499], "1499");
    EXPECT_TRUE(a[4999].IsEmpty());
    // Keep, smaller than the count: the count drops to what was kept.
    ASSERT_TRUE(a.SetCapacity(4, TRUE));
    EXPECT_EQ(a.GetCapacity(), 4u);
    EXPECT_EQ(a.GetCount(), 4u);
    EXPECT_EQ(a[3], "3");
    // Growing again: the slots above the count, written before the shrink, are blank.
    ASSERT_TRUE(a.Add(CString("new")));
    EXPECT_EQ(a.GetCapacity(), 1004u);
    EXPECT_EQ(a[3], "3");
    EXPECT_EQ(a[4], "new");
    for (DWORD i = 5; i < 1004; ++i) {
        ASSERT_TRUE(a[i].IsEmpty()) << "slot " << i;
    }
    // Without keep: empty, with fresh slots.
    ASSERT_TRUE(a.SetCapacity(3, FALSE));
    EXPECT_EQ(a.GetCount(), 0u);
    EXPECT_EQ(a.GetCapacity(), 3u);
    EXPECT_TRUE(a[0].IsEmpty());
    a.Release();
    EXPECT_EQ(a.GetCapacity(), 0u);
    EXPECT_FALSE(a.OwnsStorage());
}

TEST(CDynArray, AppendingOwnElementSurvivesReallocation) {
    CDynArray<CString> a;
    for (int i = 0; i < 1000; ++i) {
        a.Add(CString(std::string(40, static_cast<char>('a' + i % 26)).c_str()));
    }
    ASSERT_EQ(a.GetCount(), a.GetCapacity());
    ASSERT_TRUE(a.Add(a[1])); // grows while the argument lives in the storage it replaces
    EXPECT_EQ(a[1000], a[1]);
    EXPECT_EQ(a.GetCapacity(), 2000u);
}

// 6,000 appends leave 6,750 slots (each growth allocates half as much again); ReleaseSlack trims
// them to the 6,000 of the capacity, in new storage, keeping every element; a second call has
// nothing to give back.
TEST(CDynArray, ReleaseSlackTrimsTheSlotsAllocatedAheadAndKeepsEverything) {
    CDynArray<std::string> a;
    for (int i = 0; i < 6000; ++i) {
        ASSERT_TRUE(a.Add("element " + std::to_string(i)));
    }
    a.SetCount(5990);
    const std::string* pBefore = a.GetData();
    ASSERT_TRUE(a.ReleaseSlack());
    EXPECT_NE(a.GetData(), pBefore) << "the slack was not given back";
    EXPECT_EQ(a.GetCount(), 5990u);
    EXPECT_EQ(a.GetCapacity(), 6000u);
    for (DWORD i = 0; i < 5990; ++i) {
        ASSERT_EQ(a[i], "element " + std::to_string(i));
    }
    EXPECT_EQ(a[5995], "") << "slots above the count come back default";
    const std::string* pTrimmed = a.GetData();
    ASSERT_TRUE(a.ReleaseSlack());
    EXPECT_EQ(a.GetData(), pTrimmed);
    ASSERT_TRUE(a.Add("more"));
    EXPECT_EQ(a[5990], "more");
}
