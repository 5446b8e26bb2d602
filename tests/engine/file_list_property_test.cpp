// The store's indexes against a plain linear model of the same operations: any speed-up that
// changed a position, an identifier or the free stack shows up here.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "engine/FileList.h"
#include "tests/engine/EntryMaker.h"

namespace {

// The store as the design describes it: linear finds, shifting removals.
struct LinearList {
    std::vector<CFileEntry> vecEntries;
    std::vector<DWORD> vecFree;

    int FindByPath(const char* pcPath) const {
        if (pcPath == nullptr || *pcPath == '\0') {
            return -1;
        }
        for (std::size_t i = 0; i < vecEntries.size(); ++i) {
            if (std::strcmp(vecEntries[i].m_strFullPath, pcPath) == 0) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }
    int FindById(DWORD nId) const {
        if (nId == CFileEntry::kNoId) {
            return -1;
        }
        for (std::size_t i = 0; i < vecEntries.size(); ++i) {
            if (vecEntries[i].m_nId == nId) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }
    bool RemoveAt(DWORD dwIndex) {
        if (dwIndex >= vecEntries.size()) {
            return false;
        }
        vecEntries.erase(vecEntries.begin() + dwIndex);
        return true;
    }
    bool RemoveByPath(const char* pcPath) {
        const int iPos = FindByPath(pcPath);
        if (iPos < 0) {
            return false;
        }
        if (vecEntries[iPos].m_nId != CFileEntry::kNoId) {
            vecFree.push_back(vecEntries[iPos].m_nId);
        }
        return RemoveAt(static_cast<DWORD>(iPos));
    }
    void AssignIds() {
        DWORD nMax = 0;
        for (DWORD n : vecFree) {
            if (n != CFileEntry::kNoId && n > nMax) {
                nMax = n;
            }
        }
        for (const CFileEntry& entry : vecEntries) {
            if (entry.m_nId != CFileEntry::kNoId && entry.m_nId > nMax) {
                nMax = entry.m_nId;
            }
        }
        DWORD nNext = nMax + 1;
        for (CFileEntry& entry : vecEntries) {
            if (entry.m_nId != CFileEntry::kNoId) {
                continue;
            }
            if (!vecFree.empty()) {
                entry.m_nId = vecFree.back();
                vecFree.pop_back();
            } else {
                entry.m_nId = nNext++;
            }
        }
    }
};

void ExpectSame(const CFileList& list, const LinearList& model,
                const std::vector<std::string>& vecPool, DWORD nMaxId, int iStep, bool bIds) {
    ASSERT_EQ(list.GetCount(), model.vecEntries.size()) << "step " << iStep;
    for (std::size_t i = 0; i < model.vecEntries.size(); ++i) {
        const CFileEntry& a = list.GetAt(static_cast<DWORD>(i));
        const CFileEntry& b = model.vecEntries[i];
        ASSERT_TRUE(a.m_strFullPath == b.m_strFullPath && a.m_nId == b.m_nId &&
                    a.m_ullSize == b.m_ullSize)
            << "step " << iStep << " entry " << i;
    }
    const CDynArray<DWORD>& aFree = list.GetFreeIds();
    ASSERT_EQ(std::vector<DWORD>(aFree.GetData(), aFree.GetData() + aFree.GetCount()),
              model.vecFree)
        << "step " << iStep;
    for (const std::string& strPath : vecPool) {
        ASSERT_EQ(list.FindByPath(strPath.c_str()), model.FindByPath(strPath.c_str()))
            << "step " << iStep << " path " << strPath;
    }
    for (DWORD nId = 0; bIds && nId <= nMaxId + 1; ++nId) {
        const int iPos = model.FindById(nId);
        const CFileEntry* pExpected = iPos < 0 ? nullptr : &list.GetAt(static_cast<DWORD>(iPos));
        ASSERT_EQ(list.FindById(nId), pExpected) << "step " << iStep << " id " << nId;
    }
}

} // namespace

TEST(CFileListIndex, AgreesWithALinearStoreOnRandomOperations) {
    for (unsigned uSeed : {1u, 2u, 3u, 42u, 2024u}) {
        SCOPED_TRACE("seed " + std::to_string(uSeed));
        std::mt19937 rng(uSeed);
        auto pick = [&](int iBelow) {
            return static_cast<int>(rng() % static_cast<unsigned>(iBelow));
        };

        // A small pool, so that paths repeat: the store does not forbid it and finds must still
        // give the first holder.
        std::vector<std::string> vecPool;
        for (int i = 0; i < 30; ++i) {
            vecPool.push_back("C:\\d" + std::to_string(i % 4) + "\\f" + std::to_string(i) + ".wav");
        }
        CFileList list;
        LinearList model;
        const DWORD nMaxId = 40;
        for (int iStep = 0; iStep < 2500; ++iStep) {
            const int iOp = pick(100);
            if (iOp < 40) {
                const std::string& strPath = vecPool[pick(static_cast<int>(vecPool.size()))];
                const std::size_t uSep = strPath.rfind('\\');
                CFileEntry entry = tessaly::test::MakeEntry(strPath.substr(0, uSep),
                                                            strPath.substr(uSep + 1), rng() % 1000);
                // Mostly new entries without identifier; some carry one, possibly in use.
                if (pick(5) == 0) {
                    entry.m_nId = static_cast<DWORD>(pick(nMaxId) + 1);
                }
                ASSERT_TRUE(list.Append(entry));
                model.vecEntries.push_back(entry);
            } else if (iOp < 52) {
                const DWORD dwIndex =
                    static_cast<DWORD>(pick(static_cast<int>(model.vecEntries.size()) + 2));
                ASSERT_EQ(list.RemoveAt(dwIndex) != FALSE, model.RemoveAt(dwIndex));
            } else if (iOp < 66) {
                const std::string& strPath = vecPool[pick(static_cast<int>(vecPool.size()))];
                ASSERT_EQ(list.RemoveByPath(strPath.c_str()) != FALSE,
                          model.RemoveByPath(strPath.c_str()));
            } else if (iOp < 74) {
                CFileList listOther;
                std::vector<std::string> vecPaths;
                const int iListed = pick(8);
                for (int i = 0; i < iListed; ++i) {
                    const std::string& strPath = vecPool[pick(static_cast<int>(vecPool.size()))];
                    const std::size_t uSep = strPath.rfind('\\');
                    listOther.Append(tessaly::test::MakeEntry(strPath.substr(0, uSep),
                                                              strPath.substr(uSep + 1)));
                    vecPaths.push_back(strPath);
                }
                DWORD dwExpected = 0;
                for (const std::string& strPath : vecPaths) {
                    dwExpected += model.RemoveByPath(strPath.c_str()) ? 1 : 0;
                }
                // The same removals as a list of paths.
                if (pick(2) == 0) {
                    ASSERT_EQ(list.RemoveAll(listOther), dwExpected);
                } else {
                    std::vector<CString> vecListed;
                    for (const std::string& strPath : vecPaths) {
                        vecListed.emplace_back(strPath.c_str());
                    }
                    ASSERT_EQ(list.RemovePaths(vecListed), dwExpected);
                }
            } else if (iOp < 82) {
                list.AssignIds();
                model.AssignIds();
            } else if (iOp < 88) {
                const DWORD nId = static_cast<DWORD>(pick(nMaxId) + 1);
                ASSERT_TRUE(list.ReleaseId(nId));
                model.vecFree.push_back(nId);
            } else if (iOp < 91) {
                list.Clear();
                model.vecEntries.clear();
            } else if (iOp < 93) {
                list.Reset();
                model.vecEntries.clear();
                model.vecFree.clear();
            } else if (iOp < 96) {
                // Shrinking below the count drops the tail.
                const DWORD dwCapacity =
                    static_cast<DWORD>(pick(static_cast<int>(model.vecEntries.size()) + 3));
                ASSERT_TRUE(list.SetCapacity(dwCapacity, TRUE));
                if (dwCapacity < model.vecEntries.size()) {
                    model.vecEntries.resize(dwCapacity);
                }
            } else {
                ASSERT_TRUE(list.MakeRoom(static_cast<DWORD>(pick(5000))));
            }
            // Identifiers past the range the test hands out can come from AssignIds. Odd seeds
            // look them up rarely, so that the identifier table is mostly built from scratch.
            ExpectSame(list, model, vecPool, nMaxId + 60, iStep, uSeed % 2 == 0 || iStep % 97 == 0);
            if (HasFatalFailure()) {
                return;
            }
        }
    }
}

TEST(CFileListIndex, FindsGivePositionsAcrossWideGapsLeftByRemovals) {
    // Which of 4,000 entries go: the finds must still land on the survivors' new positions.
    const struct {
        const char* pcName;
        bool (*pfnGone)(int i);
    } rows[] = {
        {"the first half", [](int i) { return i < 2000; }},
        {"the second half", [](int i) { return i >= 2000; }},
        {"every other", [](int i) { return i % 2 == 1; }},
        {"all but the ends", [](int i) { return i > 0 && i < 3999; }},
        {"runs of growing length", [](int i) { return (i / 7) % 3 != 0 && i % 97 != 5; }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.pcName);
        CFileList list;
        std::vector<CString> vecGone;
        std::vector<std::string> vecKept;
        for (int i = 0; i < 4000; ++i) {
            const std::string strName = std::to_string(i) + ".wav";
            ASSERT_TRUE(list.Append(tessaly::test::MakeEntry("C:\\g", strName)));
            const CString strPath(list.GetAt(static_cast<DWORD>(i)).m_strFullPath);
            if (row.pfnGone(i)) {
                vecGone.push_back(strPath);
            } else {
                vecKept.emplace_back(strPath.GetString());
            }
        }
        list.AssignIds();
        ASSERT_EQ(list.RemovePaths(vecGone), vecGone.size());
        ASSERT_EQ(list.GetCount(), vecKept.size());
        for (std::size_t i = 0; i < vecKept.size(); ++i) {
            ASSERT_EQ(list.FindByPath(vecKept[i].c_str()), static_cast<int>(i)) << vecKept[i];
            const CFileEntry& entry = list.GetAt(static_cast<DWORD>(i));
            ASSERT_EQ(list.FindById(entry.m_nId), &entry) << vecKept[i];
        }
        for (const CString& strPath : vecGone) {
            ASSERT_EQ(list.FindByPath(strPath), -1) << strPath.GetString();
        }
    }
}
