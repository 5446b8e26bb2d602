#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/FileCollector.h"
#include "engine/RunState.h"
#include "support/AnsiText.h"
#include "tests/engine/ScanFixture.h"

using tessaly::test::FullPaths;
using tessaly::test::ScanTest;

namespace {

struct FilterRow {
    bool bRegex;
    const char* pcFilter; // UTF-8: an extension or a pattern
    const char* pcName;   // UTF-8
    bool bStripFolder;
    bool bExpected;
};

WIN32_FIND_DATAA FindData(const char* pcUtf8Name, ULONGLONG ullSize, bool bFolder = false) {
    WIN32_FIND_DATAA findData = {};
    findData.dwFileAttributes = bFolder ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
    findData.nFileSizeHigh = static_cast<DWORD>(ullSize >> 32);
    findData.nFileSizeLow = static_cast<DWORD>(ullSize);
    const CString strName = AnsiFromUtf8(pcUtf8Name);
    std::strncpy(findData.cFileName, strName.GetString(), MAX_PATH - 1);
    return findData;
}

} // namespace

TEST(CFileCollector, FilterTable) {
    const FilterRow rows[] = {
        {false, "wav", "Song.WAV", false, true},
        {false, "wav", ".wav", false, true},
        {false, "WAV", "song.wav", false, true},
        {false, "wav", "song.wave", false, false},
        {false, "wav", "song.", false, false},
        {false, "wav", "song", false, false},
        {false, "wav", "wav", false, false},
        {false, "mp3", "a.MP3", false, true},
        {false, "mp3", "a.mp3.bak", false, false},
        {false, "Flac", "a.b.fLAC", false, true},
        {false, "flacc", "a.flacc", false, false}, // longer than any extension compared
        {false, "wav", "a.wa", false, false},
        {false, "wa", "a.wav", false, false},
        {false, "wav", "ｓｏｎｇ．ｗａｖ", false, false}, // full-width dot is no dot
        {false, "wav", "song.ｗａｖ", false, false},      // no folding beyond ASCII
        {false, "曲", "歌.曲", false, true},
        {false, "w*", "a.wav", false, false}, // compared literally
        {false, "wav", "T:\\dir\\Song.wav", true, true},
        {false, "wav", "T:/dir/Song.wav", true, true},
        {false, "wav", "T:\\dir.wav\\song", true, false}, // the dot lies in the folder
        {false, "wav", "T:\\dir\\", true, false},
        {true, "a", "a.wav", false, false}, // the whole name must match
        {true, ".*\\.wav", "a.wav", false, true},
        {true, "abc", "ABC", false, false}, // case-sensitive
        {true, "abc", "xabc", false, false},
        {true, "[^.]+\\.wav", "T:\\dir.x\\a.wav", true, true},
        {true, "表.*", "表示.txt", false, true},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        const FilterRow& row = rows[i];
        CFileCollector collector;
        collector.m_bUseRegex = row.bRegex;
        if (row.bRegex) {
            collector.m_bRegexOk = collector.m_regex.SetPattern(AnsiFromUtf8(row.pcFilter));
            ASSERT_TRUE(collector.m_bRegexOk) << "row " << i;
        } else {
            collector.m_strExtFilter = AnsiFromUtf8(row.pcFilter);
            collector.m_bExtFilter = TRUE;
        }
        CMyWString strName(AnsiFromUtf8(row.pcName).GetString());
        EXPECT_EQ(collector.PassesFilter(strName, row.bStripFolder) != FALSE, row.bExpected)
            << "row " << i << " " << row.pcName;
        if (!row.bStripFolder) {
            // A listed name, ASCII ones compared on their bytes, says the same.
            EXPECT_EQ(collector.PassesFilterOnName(AnsiFromUtf8(row.pcName)) != FALSE,
                      row.bExpected)
                << "row " << i << " " << row.pcName;
        }
    }
}

TEST(CFileCollector, UnsetFiltersRejectEverythingButTheDefaultPatternAcceptsAnyName) {
    CFileCollector collector;
    EXPECT_FALSE(collector.m_bExtFilter);
    EXPECT_FALSE(collector.m_bUseRegex);
    CMyWString strName("a.wav");
    EXPECT_FALSE(collector.PassesFilter(strName, FALSE)); // extension mode, none set
    EXPECT_FALSE(collector.PassesFilterOnName("a.wav"));
    collector.m_bExtFilter = TRUE; // an empty extension matches nothing either
    EXPECT_FALSE(collector.PassesFilterOnName("a."));
    collector.m_bExtFilter = FALSE;

    collector.m_bUseRegex = TRUE; // the constructor's ".+"
    strName = "a.wav";
    EXPECT_TRUE(collector.PassesFilter(strName, FALSE));

    collector.m_bRegexOk = FALSE;
    strName = "a.wav";
    EXPECT_FALSE(collector.PassesFilter(strName, FALSE));
}

TEST(CFileCollector, ChangedExtensionTakesEffectOnTheNextTest) {
    CFileCollector collector;
    collector.m_bExtFilter = TRUE;
    collector.m_strExtFilter = "wav";
    CMyWString strName("a.mp3");
    EXPECT_FALSE(collector.PassesFilter(strName, FALSE));
    collector.m_strExtFilter = "mp3";
    strName = "a.mp3";
    EXPECT_TRUE(collector.PassesFilter(strName, FALSE));
}

TEST_F(ScanTest, AddFoundTakesThePickedRecordWithTheSelectionRoot) {
    g_strPickRoot = "T:";
    const ULONGLONG ullBig = 5ULL << 30;
    ASSERT_TRUE(m_collector.AddFound("T:", FindData("曲.wav", ullBig)));
    ASSERT_EQ(m_collector.GetCount(), 1u);
    // A full store makes room for many picked files at once.
    EXPECT_EQ(m_collector.GetCapacity(), CFileCollector::kPickedFileGrowBy);
    const CFileEntry& entry = m_collector.GetAt(0);
    EXPECT_EQ(entry.m_strFullPath, AnsiFromUtf8("T:\\曲.wav"));
    EXPECT_EQ(entry.m_strFolder, "T:");
    EXPECT_EQ(entry.m_strName, AnsiFromUtf8("曲.wav"));
    EXPECT_EQ(entry.m_ullSize, ullBig);
    EXPECT_EQ(entry.m_strRoot, "T:");
    EXPECT_EQ(entry.m_nId, CFileEntry::kNoId);
}

TEST_F(ScanTest, AddFoundRefusesFoldersRepeatsEmptyFoldersAndFilteredNames) {
    ASSERT_TRUE(m_collector.AddFound("T:\\a", FindData("x.wav", 1)));
    m_collector.AssignIds();
    EXPECT_FALSE(m_collector.AddFound("T:\\a", FindData("x.wav", 1)));
    EXPECT_EQ(m_collector.GetAt(0).m_nId, 1u); // the earlier entry keeps its identifier
    EXPECT_FALSE(m_collector.AddFound("T:\\a", FindData("sub", 0, true)));
    EXPECT_FALSE(m_collector.AddFound("", FindData("y.wav", 1)));
    SetExtFilter("mp3");
    EXPECT_FALSE(m_collector.AddFoundFiltered("T:\\a", FindData("y.wav", 1)));
    EXPECT_TRUE(m_collector.AddFoundFiltered("T:\\a", FindData("y.MP3", 1)));
    EXPECT_EQ(FullPaths(m_collector), (std::vector<std::string>{"T:\\a\\x.wav", "T:\\a\\y.MP3"}));
}

TEST_F(ScanTest, AddPathOfAFileUsesThePathsFolderAndGrowsByOne) {
    MakeFiles({"dir/Song.wav"});
    ASSERT_TRUE(m_collector.AddPath(Win("dir/Song.wav").c_str(), FALSE));
    EXPECT_EQ(m_collector.GetCapacity(), 1u);
    const CFileEntry& entry = m_collector.GetAt(0);
    EXPECT_EQ(entry.m_strFolder, Win("dir").c_str());
    EXPECT_EQ(entry.m_strName, "Song.wav");
    EXPECT_EQ(entry.m_ullSize, 4u);

    EXPECT_FALSE(m_collector.AddPath(Win("dir/Song.wav").c_str(), FALSE)); // already there
    EXPECT_FALSE(m_collector.AddPath(Win("dir/missing.wav").c_str(), TRUE));
    EXPECT_FALSE(m_collector.AddPath(Win("dir").c_str(), FALSE)); // a folder without recurse
    EXPECT_EQ(m_collector.GetCount(), 1u);

    // The filtered form tests the name only: the folder's ".wav" does not count.
    MakeFiles({"d.wav/a.mp3", "d.wav/b.wav"});
    SetExtFilter("wav");
    EXPECT_FALSE(m_collector.AddPathFiltered(Win("d.wav/a.mp3").c_str(), FALSE));
    EXPECT_TRUE(m_collector.AddPathFiltered(Win("d.wav/b.wav").c_str(), FALSE));
    EXPECT_EQ(m_collector.GetCount(), 2u);
}

TEST_F(ScanTest, AddPathSplitsAtARealSeparatorOnly) {
    // 表 is 0x95 0x5C in CP932: its trail byte is no backslash.
    MakeFiles({"表/x.wav"});
    ASSERT_TRUE(m_collector.AddPath(Win("表/x.wav").c_str(), FALSE));
    EXPECT_EQ(m_collector.GetAt(0).m_strFolder, Win("表").c_str());
}
