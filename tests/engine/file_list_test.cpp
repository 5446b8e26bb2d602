#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/FileList.h"
#include "support/AnsiText.h"
#include "tests/common/ProgramFolders.h"
#include "tests/common/RecordingProviders.h"
#include "tests/engine/EntryMaker.h"

using tessaly::test::MakeEntry;

namespace {

std::vector<DWORD> Ids(const CFileList& list) {
    std::vector<DWORD> vecIds;
    for (DWORD i = 0; i < list.GetCount(); ++i) {
        vecIds.push_back(list.GetAt(i).m_nId);
    }
    return vecIds;
}

std::vector<DWORD> FreeIds(const CFileList& list) {
    const CDynArray<DWORD>& aFree = list.GetFreeIds();
    return std::vector<DWORD>(aFree.GetData(), aFree.GetData() + aFree.GetCount());
}

void AppendNamed(CFileList& list, std::initializer_list<const char*> names) {
    for (const char* pcName : names) {
        ASSERT_TRUE(list.Append(MakeEntry("C:\\music", pcName)));
    }
}

} // namespace

TEST(CFileList, ReleasedIdsComeBackFromTheTopThenFreshOnes) {
    CFileList list;
    AppendNamed(list, {"1.wav", "2.wav", "3.wav"});
    list.AssignIds();
    ASSERT_EQ(Ids(list), (std::vector<DWORD>{1, 2, 3}));
    for (const char* pcPath : {"C:\\music\\1.wav", "C:\\music\\2.wav", "C:\\music\\3.wav"}) {
        ASSERT_TRUE(list.RemoveByPath(pcPath));
    }
    EXPECT_EQ(FreeIds(list), (std::vector<DWORD>{1, 2, 3}));
    AppendNamed(list, {"a.wav", "b.wav", "c.wav", "d.wav"});
    list.AssignIds();
    EXPECT_EQ(Ids(list), (std::vector<DWORD>{3, 2, 1, 4}));
    EXPECT_TRUE(FreeIds(list).empty());
    EXPECT_EQ(list.FindById(4), &list.GetAt(3));
    EXPECT_EQ(list.FindById(3), &list.GetAt(0));
}

TEST(CFileList, ClearKeepsTheFreeStackAndFreshIdsLieAboveIt) {
    CFileList list;
    AppendNamed(list, {"1.wav", "2.wav", "3.wav", "4.wav", "5.wav"});
    list.AssignIds();
    ASSERT_TRUE(list.RemoveByPath("C:\\music\\2.wav"));
    ASSERT_TRUE(list.RemoveByPath("C:\\music\\4.wav"));
    list.Clear();
    EXPECT_EQ(list.GetCount(), 0u);
    EXPECT_EQ(list.GetCapacity(), 0u);
    EXPECT_EQ(list.FindByPath("C:\\music\\1.wav"), -1);
    EXPECT_EQ(list.FindById(1), nullptr);
    EXPECT_EQ(FreeIds(list), (std::vector<DWORD>{2, 4}));
    AppendNamed(list, {"x.wav", "y.wav", "z.wav"});
    list.AssignIds();
    EXPECT_EQ(Ids(list), (std::vector<DWORD>{4, 2, 5}));
}

TEST(CFileList, RemovalsReportWhatTheyDid) {
    CFileList list;
    AppendNamed(list, {"a.wav", "b.wav"});
    list.AssignIds();
    EXPECT_FALSE(list.RemoveByPath("C:\\music\\c.wav"));
    EXPECT_FALSE(list.RemoveByPath(nullptr));
    EXPECT_FALSE(list.RemoveByPath(""));
    EXPECT_FALSE(list.RemoveAt(2));
    EXPECT_TRUE(FreeIds(list).empty());
    EXPECT_EQ(list.FindByPath("c:\\music\\a.wav"), -1) << "paths compare exactly";
    EXPECT_EQ(list.FindById(CFileEntry::kNoId), nullptr);

    // An entry without identifier leaves the stack alone; one with an identifier pushes it.
    ASSERT_TRUE(list.Append(MakeEntry("C:\\music", "new.wav")));
    EXPECT_TRUE(list.RemoveByPath("C:\\music\\new.wav"));
    EXPECT_TRUE(FreeIds(list).empty());
    EXPECT_TRUE(list.RemoveAt(0));
    EXPECT_TRUE(FreeIds(list).empty()) << "RemoveAt alone releases nothing";
    EXPECT_EQ(list.FindByPath("C:\\music\\b.wav"), 0);
    EXPECT_EQ(list.FindById(2), &list.GetAt(0));
    EXPECT_EQ(list.FindById(1), nullptr);
}

TEST(CFileList, RemoveAllTakesListedPathsAndReleasesTheirIds) {
    CFileList list;
    AppendNamed(list, {"a.wav", "b.wav", "c.wav", "d.wav"});
    list.AssignIds();
    CFileList listOther;
    listOther.Append(MakeEntry("C:\\music", "d.wav"));
    listOther.Append(MakeEntry("C:\\music", "zzz.wav")); // not collected
    listOther.Append(MakeEntry("C:\\music", "b.wav"));
    listOther.Append(MakeEntry("C:\\music", "d.wav")); // listed twice, removed once
    EXPECT_EQ(list.RemoveAll(listOther), 2u);
    EXPECT_EQ(Ids(list), (std::vector<DWORD>{1, 3}));
    EXPECT_EQ(FreeIds(list), (std::vector<DWORD>{4, 2}));
    EXPECT_EQ(list.FindByPath("C:\\music\\c.wav"), 1);
}

TEST(CFileList, ResetBlanksEverySlotAndEmptiesTheStack) {
    CFileList list;
    AppendNamed(list, {"a.wav", "b.wav"});
    list.AssignIds();
    list.RemoveByPath("C:\\music\\a.wav");
    list.Reset();
    EXPECT_EQ(list.GetCount(), 0u);
    EXPECT_EQ(list.GetCapacity(), 1000u);
    EXPECT_EQ(list.GetFreeIds().GetCount(), 0u);
    EXPECT_EQ(list.FindByPath("C:\\music\\b.wav"), -1);
    for (DWORD i = 0; i < list.GetCapacity(); ++i) {
        const CFileEntry& entry = list.GetAt(i);
        ASSERT_TRUE(entry.m_strFullPath.IsEmpty() && entry.m_strName.IsEmpty() &&
                    entry.m_strFolder.IsEmpty() && entry.m_strRoot.IsEmpty() &&
                    entry.m_ullSize == 0 && entry.m_nId == CFileEntry::kNoId)
            << "slot " << i;
    }
    list.AssignIds();
    AppendNamed(list, {"c.wav"});
    list.AssignIds();
    EXPECT_EQ(Ids(list), (std::vector<DWORD>{1}));
}

TEST(CFileList, TotalSizeKeepsSixtyFourBitsAndWraps) {
    constexpr ULONGLONG kGiB = 1ull << 30;
    CFileList list;
    list.Append(MakeEntry("C:\\m", "a.wav", 3 * kGiB));
    list.Append(MakeEntry("C:\\m", "b.wav", 2 * kGiB));
    EXPECT_EQ(list.GetAt(0).m_ullSize, 3 * kGiB);
    EXPECT_EQ(list.TotalSize(), 5 * kGiB);
    list.Append(MakeEntry("C:\\m", "c.wav", ~0ull - 5 * kGiB + 2));
    EXPECT_EQ(list.TotalSize(), 1u);
}

TEST(CFileList, BuildPathListJoinsPathsWithLineFeeds) {
    tessaly::test::MessageBoxRecorder recorder;
    CFileList list;
    CString strOut("stale");
    EXPECT_EQ(list.BuildPathList(strOut), 0u);
    EXPECT_TRUE(strOut.IsEmpty());

    list.Append(MakeEntry("C:\\曲", "ソ.wav")); // "ソ" has trail byte 0x5C in CP932
    list.Append(MakeEntry("D:\\", "b.wav"));
    EXPECT_EQ(list.BuildPathList(strOut), 2u);
    EXPECT_EQ(strOut, AnsiFromUtf8("C:\\曲\\ソ.wav\nD:\\\\b.wav\n"));
    EXPECT_TRUE(recorder.Texts().empty());

    // The limit counts every path and its line feed: 12 + 1 + 9 + 1 bytes here.
    EXPECT_EQ(list.BuildPathList(strOut, 24), 2u);
    EXPECT_EQ(list.BuildPathList(strOut, 23), 0u);
    EXPECT_TRUE(strOut.IsEmpty());
    ASSERT_EQ(recorder.Texts().size(), 1u);
    EXPECT_EQ(recorder.Texts()[0], AnsiFromUtf8("ファイルパスリストが大きくなりすぎます。").Str());
    EXPECT_EQ(recorder.Types()[0], MB_OK);
}

TEST(CFileEntry, DumpToTraceWritesSixLines) {
    tessaly::test::ProgramFolders folders;
    CFileEntry entry = MakeEntry("C:\\曲", "a.wav", 5000000000ull);
    entry.DumpToTrace();
    entry.m_nId = 7;
    entry.DumpToTrace();
    const std::string strOne =
        "：C:\\曲\\a.wav\n：C:\\曲\n：a.wav\n：5000000000\n：C:\\root\n:ID[4294967295]\n";
    const std::string strTwo =
        "：C:\\曲\\a.wav\n：C:\\曲\n：a.wav\n：5000000000\n：C:\\root\n:ID[7]\n";
    EXPECT_EQ(folders.TraceBytes(), AnsiFromUtf8((strOne + strTwo).c_str()).Str());
}

TEST(CFileEntry, DumpIsCutToItsBufferOnACharacterBoundary) {
    // "：" (2 bytes), the pad, "C:\" (3 bytes), then two-byte characters: depending on the pad the
    // 2,047th byte is a lead byte, which must go with its missing trail.
    std::string strWide;
    for (int i = 0; i < 1200; ++i) {
        strWide += "曲";
    }
    for (int iPad = 0; iPad < 2; ++iPad) {
        const CFileEntry entry = MakeEntry(std::string(iPad, 'x') + "C:\\" + strWide, "a.wav");
        const CString strDump = entry.FormatDump();
        const int iPrefix = 2 + iPad + 3;
        const int iExpected = (2047 - iPrefix) % 2 == 0 ? 2047 : 2046;
        EXPECT_EQ(strDump.GetLength(), iExpected) << "pad " << iPad;
        const CString strFull =
            AnsiFromUtf8(("：" + std::string(iPad, 'x') + "C:\\" + strWide).c_str());
        EXPECT_EQ(strDump, strFull.Left(iExpected)) << "pad " << iPad;
    }
}
