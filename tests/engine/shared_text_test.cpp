#include <gtest/gtest.h>

#include <set>
#include <string>
#include <thread>
#include <vector>

#include "engine/FileCollector.h"
#include "engine/RunState.h"
#include "engine/SharedText.h"
#include "platform/win32/Win32.h"

namespace {

WIN32_FIND_DATAA Found(const std::string& strName) {
    WIN32_FIND_DATAA data{};
    strName.copy(data.cFileName, MAX_PATH - 1);
    return data;
}

} // namespace

TEST(CSharedText, ReadsAndComparesAsTheTextItWasGiven) {
    const std::string strLong(300, 'x');
    const struct {
        const char* pcCase;
        CSharedText text;
        std::string strExpected;
    } rows[] = {
        {"default", CSharedText(), ""},
        {"null", CSharedText(static_cast<LPCTSTR>(nullptr)), ""},
        {"empty", CSharedText(""), ""},
        {"short", CSharedText("a.wav"), "a.wav"},
        {"from CString", CSharedText(CString("C:\\music\\b.wav")), "C:\\music\\b.wav"},
        {"long", CSharedText(strLong.c_str()), strLong},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.pcCase);
        EXPECT_EQ(row.text.GetLength(), static_cast<int>(row.strExpected.size()));
        EXPECT_EQ(row.text.IsEmpty(), row.strExpected.empty());
        EXPECT_STREQ(row.text.GetString(), row.strExpected.c_str());
        EXPECT_TRUE(row.text == row.strExpected.c_str());
        EXPECT_TRUE(row.text == CString(row.strExpected.c_str()));
        EXPECT_TRUE(row.text == CSharedText(row.strExpected.c_str()));
        EXPECT_TRUE(row.text != (row.strExpected + "!").c_str());
        EXPECT_EQ(CString(row.text) + "\\" + row.text,
                  (row.strExpected + "\\" + row.strExpected).c_str());
    }
    CSharedText text;
    text.Format("%s\\%s", "C:\\d", "n.wav");
    EXPECT_EQ(text, "C:\\d\\n.wav");
}

TEST(CSharedText, AssignmentsFromItsOwnBytesKeepThem) {
    CSharedText text("C:\\folder\\a rather long file name.wav");
    const CSharedText& self = text; // through a reference, as a caller would reach it
    text = self;
    EXPECT_EQ(text, "C:\\folder\\a rather long file name.wav");
    text = text.GetString();
    EXPECT_EQ(text, "C:\\folder\\a rather long file name.wav");
    // Its own tail: the buffer it is read from must outlive the assignment.
    text = text.GetString() + 10;
    EXPECT_EQ(text, "a rather long file name.wav");
    text = text.GetString() + 2;
    EXPECT_EQ(text, "rather long file name.wav");
    CSharedText copy(text);
    text.Empty();
    EXPECT_TRUE(text.IsEmpty());
    EXPECT_EQ(copy, "rather long file name.wav");
}

TEST(CSharedText, ANameViewOutlivesTheFullPathItWasTakenFrom) {
    CFileEntry entry;
    entry.m_strFullPath = "C:\\music\\album\\a long enough track name.wav";
    entry.m_strName = "a long enough track name.wav";
    ASSERT_EQ(entry.m_strName.SharedBuffer(), entry.m_strFullPath.SharedBuffer());
    CFileEntry copy = entry;
    entry.m_strFullPath = "C:\\elsewhere";
    entry = CFileEntry();
    // Other texts made meanwhile must not reuse the buffer the view still reads.
    for (int i = 0; i < 100; ++i) {
        CSharedText other(("C:\\noise\\" + std::to_string(i) + " a long enough name").c_str());
    }
    EXPECT_EQ(copy.m_strName, "a long enough track name.wav");
    EXPECT_EQ(copy.m_strFullPath, "C:\\music\\album\\a long enough track name.wav");
}

TEST(CSharedText, CopiesOnTwoThreadsCountTheirReferences) {
    const CSharedText text("C:\\shared\\by two threads at once.wav");
    auto churn = [&] {
        for (int i = 0; i < 100000; ++i) {
            CSharedText copy(text);
            CSharedText other = copy;
            copy = other;
        }
    };
    std::thread thread(churn);
    churn();
    thread.join();
    EXPECT_EQ(text, "C:\\shared\\by two threads at once.wav");
}

TEST(CSharedText, ACollectedFolderHoldsItsFolderRootAndNamesOnce) {
    ResetRunState();
    g_strPickRoot = "T:\\music";
    CFileCollector collector;
    const int kFiles = 3000;
    for (int i = 0; i < kFiles; ++i) {
        ASSERT_TRUE(collector.AddFound("T:\\music\\album",
                                       Found("track " + std::to_string(100000 + i) + ".wav")));
    }
    ASSERT_EQ(collector.GetCount(), static_cast<DWORD>(kFiles));
    std::set<const void*> setBuffers;
    for (DWORD i = 0; i < collector.GetCount(); ++i) {
        const CFileEntry& entry = collector.GetAt(i);
        ASSERT_EQ(entry.m_strName, ("track " + std::to_string(100000 + i) + ".wav").c_str());
        ASSERT_EQ(entry.m_strFullPath, CString("T:\\music\\album\\") + entry.m_strName);
        ASSERT_EQ(entry.m_strName.SharedBuffer(), entry.m_strFullPath.SharedBuffer()) << i;
        for (const CSharedText* pText :
             {&entry.m_strName, &entry.m_strFullPath, &entry.m_strFolder, &entry.m_strRoot}) {
            setBuffers.insert(pText->SharedBuffer());
        }
    }
    // One buffer per full path, one folder, one root.
    EXPECT_EQ(setBuffers.size(), static_cast<size_t>(kFiles) + 2);
    ResetRunState();
}
