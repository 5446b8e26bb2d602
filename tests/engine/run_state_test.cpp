#include <gtest/gtest.h>

#include "engine/RunState.h"

TEST(RunState, StartsIdleWithEveryOtherFlagClear) {
    // Nothing in this test program starts a worker, so the values are those of start-up.
    EXPECT_TRUE(g_bWorkerIdle);
    EXPECT_FALSE(g_bCollecting);
    EXPECT_FALSE(g_bAbort);
    EXPECT_FALSE(g_bClosing);
    EXPECT_EQ(g_dwMoveTotal, 0u);
    EXPECT_EQ(g_dwMoveDone, 0u);
    EXPECT_TRUE(g_strPickRoot.IsEmpty());
    EXPECT_EQ(WM_WORK_DONE, 1524);
    EXPECT_EQ(WM_MOVE_PROGRESS, 1525);
    const CWorkerContext context;
    EXPECT_EQ(context.m_pOwner, nullptr);
    EXPECT_EQ(context.m_hOwnerWnd, nullptr);
    EXPECT_EQ(context.m_pPicker, nullptr);
}
