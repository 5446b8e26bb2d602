// RemovePaths against the loop it replaces: RemoveByPath of each path in order, on a twin store.
#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "engine/FileList.h"
#include "tests/engine/EntryMaker.h"

namespace {

// Appends the parts: "C:\\d" + std::string makes GCC 12 at -O3 report a false -Wrestrict.
std::string Cat(std::initializer_list<std::string_view> parts) {
    std::string str;
    for (std::string_view part : parts) {
        str.append(part);
    }
    return str;
}

std::string Folder(int i) {
    return Cat({"C:\\d", std::to_string(i % 7)});
}

std::string Name(int i) {
    return Cat({"f", std::to_string(i), ".wav"});
}

std::string PoolPath(int i) {
    return Cat({Folder(i), "\\", Name(i)});
}

// The same seed gives the same store: paths drawn from a pool smaller than the store, so some
// are held twice; identifiers on the older half, none on the newer but a few carried ones, some of
// those shared; a free stack.
void FillStore(CFileList& list, unsigned uSeed, int iEntries, int iPool) {
    std::mt19937 rng(uSeed);
    for (int i = 0; i < iEntries; ++i) {
        const int iPath = static_cast<int>(rng() % static_cast<unsigned>(iPool));
        CFileEntry entry = tessaly::test::MakeEntry(Folder(iPath), Name(iPath), rng());
        if (i % 50 == 7) {
            entry.m_nId = 1 + static_cast<DWORD>(rng() % 40); // possibly in use already
        }
        ASSERT_TRUE(list.Append(entry));
        if (i == iEntries / 2) {
            list.AssignIds();
        }
    }
    for (DWORD nId : {9000u, 9001u, 3u}) {
        ASSERT_TRUE(list.ReleaseId(nId));
    }
}

std::vector<DWORD> FreeIds(const CFileList& list) {
    const CDynArray<DWORD>& aFree = list.GetFreeIds();
    return std::vector<DWORD>(aFree.GetData(), aFree.GetData() + aFree.GetCount());
}

void ExpectSameStore(const CFileList& actual, const CFileList& expected, int iPool,
                     const char* pcWhen) {
    SCOPED_TRACE(pcWhen);
    ASSERT_EQ(actual.GetCount(), expected.GetCount());
    for (DWORD i = 0; i < expected.GetCount(); ++i) {
        const CFileEntry& a = actual.GetAt(i);
        const CFileEntry& b = expected.GetAt(i);
        ASSERT_TRUE(a.m_strFullPath == b.m_strFullPath && a.m_nId == b.m_nId &&
                    a.m_ullSize == b.m_ullSize && a.m_strName == b.m_strName &&
                    a.m_strFolder == b.m_strFolder && a.m_strRoot == b.m_strRoot)
            << "entry " << i;
    }
    ASSERT_EQ(FreeIds(actual), FreeIds(expected));
    // The indexes must have followed: every find answers as on the twin.
    for (int i = 0; i < iPool; ++i) {
        ASSERT_EQ(actual.FindByPath(PoolPath(i).c_str()), expected.FindByPath(PoolPath(i).c_str()))
            << PoolPath(i);
    }
    // Identifiers in use, released ones and a range of small ones.
    std::vector<DWORD> vecIds = FreeIds(expected);
    for (DWORD i = 0; i < expected.GetCount(); ++i) {
        vecIds.push_back(expected.GetAt(i).m_nId);
    }
    for (DWORD nId = 0; nId < 64; ++nId) {
        vecIds.push_back(nId);
    }
    for (DWORD nId : vecIds) {
        const CFileEntry* pExpected = expected.FindById(nId);
        const CFileEntry* pActual = actual.FindById(nId);
        ASSERT_EQ(pActual == nullptr, pExpected == nullptr) << "id " << nId;
        if (pExpected != nullptr) {
            ASSERT_EQ(pActual - &actual.GetAt(0), pExpected - &expected.GetAt(0)) << "id " << nId;
        }
    }
    // The same identifiers found all at once (many: one pass over the store) and a few at once.
    for (std::size_t uAsked : {vecIds.size(), std::size_t{3}}) {
        const std::vector<DWORD> vecAsked(vecIds.begin(), vecIds.begin() + uAsked);
        std::vector<int> vecFound;
        actual.FindPosByIds(vecAsked, &vecFound);
        ASSERT_EQ(vecFound.size(), vecAsked.size());
        for (std::size_t k = 0; k < vecAsked.size(); ++k) {
            ASSERT_EQ(vecFound[k], expected.FindPosById(vecAsked[k])) << "id " << vecAsked[k];
        }
    }
}

// Paths to remove: iPresent drawn from the pool (some not in the store, some held twice),
// iMissing that were never stored, then iRepeats of those again, shuffled; an empty path too.
std::vector<CString> PathsToRemove(unsigned uSeed, int iPool, int iPresent, int iMissing,
                                   int iRepeats) {
    std::mt19937 rng(uSeed * 7919u + 1u);
    std::vector<CString> vecPaths;
    for (int i = 0; i < iPresent; ++i) {
        vecPaths.emplace_back(
            PoolPath(static_cast<int>(rng() % static_cast<unsigned>(iPool))).c_str());
    }
    for (int i = 0; i < iMissing; ++i) {
        // Half never stored, half differing from a pool path in the drive letter's case only.
        const std::string strMissing =
            i % 2 == 0 ? Cat({"C:\\gone\\", Name(i)}) : Cat({"c", PoolPath(i).substr(1)});
        vecPaths.emplace_back(strMissing.c_str());
    }
    for (int i = 0; i < iRepeats && !vecPaths.empty(); ++i) {
        vecPaths.push_back(vecPaths[rng() % vecPaths.size()]);
    }
    if (!vecPaths.empty()) {
        vecPaths.emplace_back("");
    }
    std::shuffle(vecPaths.begin(), vecPaths.end(), rng);
    return vecPaths;
}

DWORD RemoveOneByOne(CFileList& list, const std::vector<CString>& vecPaths) {
    DWORD dwRemoved = 0;
    for (const CString& strPath : vecPaths) {
        dwRemoved += list.RemoveByPath(strPath.GetString()) ? 1 : 0;
    }
    return dwRemoved;
}

} // namespace

TEST(CFileListRemovePaths, MatchesRemoveByPathOneByOne) {
    const struct {
        const char* pcName;
        unsigned uSeed;
        int iEntries;
        int iPool;
        int iPresent;
        int iMissing;
        int iRepeats;
    } rows[] = {
        {"mixed", 1, 3000, 2000, 1200, 300, 400},
        {"most paths held twice", 2, 3000, 600, 900, 50, 900},
        {"every pool path twice over", 3, 1500, 300, 2400, 0, 0},
        {"only missing paths", 4, 1000, 800, 0, 200, 50},
        {"nothing listed", 5, 1000, 800, 0, 0, 0},
        {"empty store", 6, 0, 100, 300, 10, 10},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.pcName);
        CFileList listBatch;
        CFileList listLoop;
        FillStore(listBatch, row.uSeed, row.iEntries, row.iPool);
        FillStore(listLoop, row.uSeed, row.iEntries, row.iPool);
        ASSERT_FALSE(HasFatalFailure());

        const std::vector<CString> vecPaths =
            PathsToRemove(row.uSeed, row.iPool, row.iPresent, row.iMissing, row.iRepeats);
        const DWORD dwExpected = RemoveOneByOne(listLoop, vecPaths);
        EXPECT_EQ(listBatch.RemovePaths(vecPaths), dwExpected);
        ExpectSameStore(listBatch, listLoop, row.iPool, "after the removal");

        // What follows a removal must see the same store: identifiers from the stack, a second
        // round of removals, appends of paths just removed.
        listBatch.AssignIds();
        listLoop.AssignIds();
        ExpectSameStore(listBatch, listLoop, row.iPool, "after AssignIds");
        const std::vector<CString> vecAgain =
            PathsToRemove(row.uSeed + 100, row.iPool, row.iPresent / 2 + 20, 5, 10);
        EXPECT_EQ(listBatch.RemovePaths(vecAgain), RemoveOneByOne(listLoop, vecAgain));
        for (const CString& strPath : vecAgain) {
            const std::string strFull = strPath.GetString();
            const std::size_t uSep = strFull.rfind('\\');
            if (uSep != std::string::npos) {
                const CFileEntry entry =
                    tessaly::test::MakeEntry(strFull.substr(0, uSep), strFull.substr(uSep + 1));
                ASSERT_TRUE(listBatch.Append(entry));
                ASSERT_TRUE(listLoop.Append(entry));
            }
        }
        ExpectSameStore(listBatch, listLoop, row.iPool, "after a second round and appends");
    }
}

// RemovePositions against its meaning: each listed entry's identifier released in the list's
// order, then the entries taken out one by one. Small shares unlink each entry from the index,
// large ones rebuild it; both must leave every find as the twin's.
TEST(CFileListRemovePaths, RemovePositionsMatchesReleasingThenRemovingEachEntry) {
    const struct {
        const char* pcName;
        unsigned uSeed;
        int iEntries;
        int iRemoved; // positions drawn, with repeats and some beyond the count
    } rows[] = {
        {"a few of many", 21, 3000, 40},
        {"about half", 22, 3000, 1500},
        {"nearly all, many twice", 23, 1000, 2500},
        {"none", 24, 500, 0},
        {"about half of a store rebuilt in the order of its paths' slots", 25, 9000, 5000},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.pcName);
        CFileList listBatch;
        CFileList listLoop;
        FillStore(listBatch, row.uSeed, row.iEntries, row.iEntries * 2 / 3);
        FillStore(listLoop, row.uSeed, row.iEntries, row.iEntries * 2 / 3);
        ASSERT_FALSE(HasFatalFailure());
        std::mt19937 rng(row.uSeed);
        std::vector<DWORD> vecPositions;
        for (int i = 0; i < row.iRemoved; ++i) {
            vecPositions.push_back(static_cast<DWORD>(rng() % (row.iEntries + 10u)));
        }
        std::vector<bool> vecSeen(static_cast<std::size_t>(row.iEntries), false);
        DWORD dwExpected = 0;
        for (DWORD dwPos : vecPositions) {
            if (dwPos < listLoop.GetCount() && !vecSeen[dwPos]) {
                vecSeen[dwPos] = true;
                const DWORD nId = listLoop.GetAt(dwPos).m_nId;
                if (nId != CFileEntry::kNoId) {
                    listLoop.ReleaseId(nId);
                }
                ++dwExpected;
            }
        }
        for (DWORD i = listLoop.GetCount(); i-- > 0;) {
            if (vecSeen[i]) {
                listLoop.RemoveAt(i);
            }
        }
        EXPECT_EQ(listBatch.RemovePositions(vecPositions), dwExpected);
        ExpectSameStore(listBatch, listLoop, row.iEntries * 2 / 3, "after the removal");
        listBatch.AssignIds();
        listLoop.AssignIds();
        ExpectSameStore(listBatch, listLoop, row.iEntries * 2 / 3, "after AssignIds");
    }
}
