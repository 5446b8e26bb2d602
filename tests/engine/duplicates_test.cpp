#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "engine/FileList.h"
#include "support/AnsiText.h"
#include "support/MyWString.h"
#include "tests/engine/EntryMaker.h"

using tessaly::test::MakeEntry;

namespace {

// Store entries named as given, each in a folder of its own so that every path is unique.
void Fill(CFileList& list, const std::vector<std::string>& vecNames) {
    for (std::size_t i = 0; i < vecNames.size(); ++i) {
        ASSERT_TRUE(list.Append(MakeEntry("C:\\d" + std::to_string(i), vecNames[i])));
    }
}

std::vector<std::string> Paths(const CFileList& list) {
    std::vector<std::string> vecPaths;
    for (DWORD i = 0; i < list.GetCount(); ++i) {
        vecPaths.push_back(list.GetAt(i).m_strFullPath.Str());
    }
    return vecPaths;
}

// The search as the design states it: every pair, titles converted afresh, a linear index list.
DWORD QuadraticDuplicates(const CFileList& list, std::vector<std::string>& vecOut) {
    vecOut.clear();
    const DWORD dwCount = list.GetCount();
    if (dwCount < 2) {
        return 0;
    }
    std::vector<DWORD> vecPlaced;
    DWORD dwFound = 0;
    for (DWORD i = 0; i + 1 < dwCount; ++i) {
        CMyWString strTitle(list.GetAt(i).m_strName.GetString());
        strTitle.LeaveFileTitle(4);
        bool bFirst = true;
        for (DWORD j = i + 1; j < dwCount; ++j) {
            if (std::find(vecPlaced.begin(), vecPlaced.end(), j) != vecPlaced.end()) {
                continue;
            }
            CMyWString strOther(list.GetAt(j).m_strName.GetString());
            strOther.LeaveFileTitle(4);
            if (strTitle.Compare(strOther.GetBuff(), TRUE) != 0) {
                continue;
            }
            if (bFirst) {
                vecOut.push_back(list.GetAt(i).m_strFullPath.Str());
                ++dwFound;
                bFirst = false;
            }
            vecOut.push_back(list.GetAt(j).m_strFullPath.Str());
            vecPlaced.push_back(j);
            ++dwFound;
        }
    }
    return dwFound;
}

} // namespace

TEST(FindDuplicates, ListsEveryMemberOfEveryGroup) {
    struct Row {
        std::vector<std::string> vecNames;
        std::vector<int> vecListed; // store positions, in the order listed
    };
    const Row rows[] = {
        {{}, {}},
        {{"a.mp3"}, {}},
        {{"a.mp3", "A.WAV"}, {0, 1}},
        {{"x.wav", "y.wav", "x.mp3"}, {0, 2}},
        {{"p.wav", "q.wav", "p.mp3", "q.mp3"}, {0, 2, 1, 3}},
        {{"x", "x"}, {0, 1}},
        // "flac" is four characters, so its title is "song" like the mp3's.
        {{"song.flac", "song.mp3"}, {0, 1}},
        // Five characters after the dot: the whole name is the title.
        {{"song.flacc", "song.mp3"}, {}},
        {{"song.flacc", "song.flacc.mp3"}, {0, 1}},
        {{"notes.backup", "notes.txt"}, {}},
        {{"archive.tar.gz", "ARCHIVE.TAR.mp3", "archive.mp3"}, {0, 1}},
        // A name whose only dot is its first character keeps the dot.
        {{".wav", ".WAV", "wav"}, {0, 1}},
        {{"end.", "END"}, {0, 1}},
        // Only ASCII letters fold: full-width letters and kana must match exactly.
        {{"Ａ.wav", "ａ.wav"}, {}},
        {{"Ａ.wav", "Ａ.mp3"}, {0, 1}},
        {{"きょく.wav", "キョク.wav", "きょく.mp3"}, {0, 2}},
        {{"Äb.wav", "äb.wav"}, {}},
        // A later member already listed adds nothing as the first of its own pass.
        {{"t.a", "t.b", "t.c", "u.a", "t.d", "u.b"}, {0, 1, 2, 4, 3, 5}},
    };
    for (std::size_t r = 0; r < std::size(rows); ++r) {
        CFileList list;
        Fill(list, rows[r].vecNames);
        CFileList listDup;
        listDup.Append(MakeEntry("C:\\stale", "old.wav")); // emptied by the search
        const DWORD dwCount = list.FindDuplicates(listDup);
        std::vector<std::string> vecExpected;
        for (int iPos : rows[r].vecListed) {
            vecExpected.push_back(list.GetAt(static_cast<DWORD>(iPos)).m_strFullPath.Str());
        }
        EXPECT_EQ(dwCount, vecExpected.size()) << "row " << r;
        EXPECT_EQ(Paths(listDup), vecExpected) << "row " << r;
        EXPECT_EQ(list.GetCount(), rows[r].vecNames.size()) << "row " << r << ": store unchanged";
    }
}

TEST(FindDuplicates, TheListReservesRoomForWhatItReceivesOnly) {
    // A reservation as large as the collection would cost a whole entry per collected file.
    CFileList list;
    for (int i = 0; i < 5000; ++i) {
        ASSERT_TRUE(list.Append(MakeEntry("C:\\d", "f" + std::to_string(i) + ".wav")));
    }
    CFileList listDup;
    EXPECT_EQ(list.FindDuplicates(listDup), 0u);
    EXPECT_EQ(listDup.GetCapacity(), 0u);
    ASSERT_TRUE(list.Append(MakeEntry("C:\\e", "F17.mp3")));
    ASSERT_TRUE(list.Append(MakeEntry("C:\\e", "f4999.ogg")));
    ASSERT_TRUE(list.Append(MakeEntry("C:\\f", "f17.wav")));
    EXPECT_EQ(list.FindDuplicates(listDup), 5u);
    EXPECT_EQ(listDup.GetCapacity(), 5u);
    EXPECT_EQ(Paths(listDup),
              (std::vector<std::string>{"C:\\d\\f17.wav", "C:\\e\\F17.mp3", "C:\\f\\f17.wav",
                                        "C:\\d\\f4999.wav", "C:\\e\\f4999.ogg"}));
}

TEST(FindDuplicates, RemovingThemReleasesTheIdsOfEarlierEntries) {
    CFileList list;
    list.Append(MakeEntry("C:\\old", "Track.wav"));
    list.Append(MakeEntry("C:\\old", "other.wav"));
    list.AssignIds();
    list.Append(MakeEntry("C:\\new", "track.WAV"));
    CFileList listDup;
    ASSERT_EQ(list.FindDuplicates(listDup), 2u);
    EXPECT_EQ(listDup.GetAt(0).m_nId, 1u) << "copies keep every field";
    EXPECT_EQ(listDup.GetAt(1).m_nId, CFileEntry::kNoId);
    EXPECT_EQ(list.RemoveAll(listDup), 2u);
    ASSERT_EQ(list.GetCount(), 1u);
    EXPECT_EQ(list.GetAt(0).m_strName, "other.wav");
    ASSERT_EQ(list.GetFreeIds().GetCount(), 1u);
    EXPECT_EQ(list.GetFreeIds()[0], 1u);
}

TEST(FindDuplicates, AgreesWithThePairwiseSearchOnRandomNames) {
    // Titles from a small pool in random case, with extensions of every length, so that groups
    // interleave and some names keep their dot or their whole text as title.
    // Separators too: the title is cut after the last one, as in a path.
    const std::vector<std::string> vecStems = {"a",  "B", "song", "Ｘ",    "ｘ", "曲",
                                               "ソ", "",  "x.y",  "p/q.r", "s\\"};
    const std::vector<std::string> vecExts = {"",      ".",      ".wav", ".WAV", ".mp3",
                                              ".flac", ".flacc", ".a.b", ".曲"};
    for (unsigned uSeed : {7u, 11u, 99u, 1234u}) {
        SCOPED_TRACE("seed " + std::to_string(uSeed));
        std::mt19937 rng(uSeed);
        CFileList list;
        const int iCount = 60 + static_cast<int>(rng() % 60);
        std::vector<std::string> vecNames;
        for (int i = 0; i < iCount; ++i) {
            std::string strName = vecStems[rng() % vecStems.size()];
            for (char& c : strName) {
                if (c >= 'a' && c <= 'z' && rng() % 2 == 0) {
                    c = static_cast<char>(c - 'a' + 'A');
                }
            }
            strName += vecExts[rng() % vecExts.size()];
            // push_back, not = "z": GCC 12 at -O3 reports a false -Wrestrict on that assignment.
            if (strName.empty()) {
                strName.push_back('z');
            }
            vecNames.push_back(strName);
        }
        Fill(list, vecNames);
        std::vector<std::string> vecExpected;
        const DWORD dwExpected = QuadraticDuplicates(list, vecExpected);
        CFileList listDup;
        EXPECT_EQ(list.FindDuplicates(listDup), dwExpected);
        EXPECT_EQ(Paths(listDup), vecExpected);
    }
}
