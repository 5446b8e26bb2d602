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

// Slots are constructed as the capacity reaches them and destroyed exactly once, whether the
// storage grows ahead, shrinks, is given up or dies with the array.
TEST(CDynArray, ConstructsEachSlotOnceAsTheCapacityReachesIt) {
    static int s_iLive = 0;
    struct Counted {
        Counted() { ++s_iLive; }
        Counted(const Counted&) { ++s_iLive; }
        Counted(Counted&&) noexcept { ++s_iLive; }
        Counted& operator=(const Counted&) = default;
        Counted& operator=(Counted&&) noexcept = default;
        ~Counted() { --s_iLive; }
    };
    {
        CDynArray<Counted> a;
        for (int i = 0; i < 6000; ++i) {
            ASSERT_TRUE(a.Add(Counted()));
            // 6,000 appends allocate 6,750 slots; only the capacity's are ever live.
            ASSERT_EQ(s_iLive, static_cast<int>(a.GetCapacity())) << "after " << i + 1;
        }
        ASSERT_TRUE(a.SetCapacity(6500, TRUE));
        EXPECT_EQ(s_iLive, 6500) << "raised within the slots allocated ahead";
        ASSERT_TRUE(a.SetCapacity(2500, TRUE));
        EXPECT_EQ(s_iLive, 2500);
        ASSERT_TRUE(a.SetCapacity(3000, FALSE));
        EXPECT_EQ(s_iLive, 3000);
        a.Release();
        EXPECT_EQ(s_iLive, 0);
        ASSERT_TRUE(a.SetCapacity(10, TRUE));
    }
    EXPECT_EQ(s_iLive, 0) << "the destructor leaves none alive";
}
