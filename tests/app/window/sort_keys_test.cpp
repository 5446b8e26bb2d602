// The column sort's keys must order every pair exactly as the comparisons they stand for.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <set>
#include <string>
#include <vector>

#include "app/SortKeys.h"
#include "platform/win32/Win32CodePage.h"
#include "support/AnsiText.h"
#include "support/MyWString.h"

namespace {

int Sign(int i) {
    return i < 0 ? -1 : i > 0 ? 1 : 0;
}

TEST(SortKeys, OrderEveryPairAsTheNameSizeAndFolderComparisons) {
    // Case, '_' between the capitals and the small letters, prefixes, kana and kanji, names
    // outside CP932, folders with a 0x5C trail byte and folders equal but for case.
    const char* apszNames[] = {
        "A.wav", "a.wav", "_x.wav", "Z.wav", "[.wav", "ab.wav", "a.WAV", "曲.wav", "ソ.wav",
        "表.wav", "カ.wav", "café.wav", "한글.wav", "a", "",
        // Long names alike in their first eight units.
        "trackname01.wav", "TRACKNAME01.wav", "trackname1.wav", "trackname01.wavx", "tracknam",
        // Alike in their first eight units, their tails read from the name or converted.
        "trackname01é.wav", "tracknamé01.wav", "TRACKNAMÉ01.wav", "trackname01ソ"};
    const char* apszFolders[] = {"T:\\a",   "T:\\A", "T:\\ソ", "T:\\ソ\\x", "T:\\表", "T:\\a\\b",
                                 "T:\\a b", "T:\\a", "U:",     "T:\\_",     "T:\\Ａ", "T:\\ab\\c",
                                 "T:\\ソ",  "T:\\a", "T:\\z",  "T:\\a",     "T:\\b",  "T:\\a",
                                 "T:\\c",   "T:\\d", "T:\\e",  "T:\\f",     "T:\\g",  "T:\\h"};
    const ULONGLONG aullSizes[] = {
        10, 5000000000ull, 0, 10, 7, 1, 0xFFFFFFFFFFFFFFFFull, 3, 3, 10, 0, 9, 2, 10, 1, 4,
        4,  5000000000ull, 0, 11};
    // The largest size once beyond the packed keys' 1 TiB (pairs of size and identifier are
    // sorted then), once within it, in its fifth byte.
    for (const ULONGLONG ullLargest : {0xFFFFFFFFFFFFFFFFull, 0xFF00000000ull}) {
        SCOPED_TRACE("largest size " + std::to_string(ullLargest));
        CFileCollector store;
        for (size_t i = 0; i < std::size(apszNames); ++i) {
            CFileEntry entry;
            entry.m_strName = AnsiFromUtf8(apszNames[i]);
            entry.m_strFolder = AnsiFromUtf8(apszFolders[i]);
            entry.m_strFullPath = entry.m_strFolder + "\\" + entry.m_strName;
            entry.m_strRoot = "T:";
            entry.m_ullSize = i == 6 ? ullLargest : aullSizes[i % std::size(aullSizes)];
            ASSERT_TRUE(store.Append(entry));
        }
        store.AssignIds();

        for (int iColumn = 0; iColumn < 3; ++iColumn) {
            CSortKeys keys;
            keys.Build(store, iColumn);
            for (DWORD i = 0; i < store.GetCount(); ++i) {
                for (DWORD j = 0; j < store.GetCount(); ++j) {
                    const CFileEntry& a = store.GetAt(i);
                    const CFileEntry& b = store.GetAt(j);
                    ASSERT_EQ(keys.Entry(a.m_nId), &a);
                    int iExpected = 0;
                    int iActual = 0;
                    if (iColumn == 0) {
                        const CMyWString strA(a.m_strName.GetString());
                        const CMyWString strB(b.m_strName.GetString());
                        iExpected = Sign(strA.Compare(strB.GetBuff(), TRUE));
                        iActual = keys.Compare(a.m_nId, b.m_nId);
                    } else if (iColumn == 1) {
                        iExpected = a.m_ullSize < b.m_ullSize   ? -1
                                    : a.m_ullSize > b.m_ullSize ? 1
                                                                : 0;
                        iActual = keys.Compare(a.m_nId, b.m_nId);
                    } else {
                        iExpected = Sign(_mbscmp(
                            reinterpret_cast<const unsigned char*>(a.m_strFolder.GetString()),
                            reinterpret_cast<const unsigned char*>(b.m_strFolder.GetString())));
                        iActual = keys.Compare(a.m_nId, b.m_nId);
                    }
                    EXPECT_EQ(iActual, iExpected)
                        << "column " << iColumn << ": " << apszNames[i] << " / " << apszNames[j];
                }
            }
            // The rows' order both ways: by rank, equal rows in their former order, a row whose id
            // has no entry last. Once all rows, once a row of each rank alone (each placed by the
            // ranks taken below its own), the store's last two entries left out.
            std::vector<DWORD_PTR> vecAllRows;
            std::vector<DWORD_PTR> vecOwnRanks;
            std::set<DWORD> setRanks;
            for (DWORD i = 0; i < store.GetCount(); ++i) {
                const DWORD nId = store.GetAt(store.GetCount() - 1 - i).m_nId;
                vecAllRows.push_back(nId);
                if (i >= 2 && setRanks.insert(keys.Rank(nId)).second) {
                    vecOwnRanks.push_back(nId);
                }
                if (i == 3) {
                    vecAllRows.push_back(store.GetCount() + 5);
                    vecOwnRanks.push_back(store.GetCount() + 5);
                }
            }
            for (const auto& vecIds : {vecAllRows, vecOwnRanks}) {
                for (int iDir : {1, -1}) {
                    const CRowArray<int> vecOrder = keys.Order(vecIds, iDir);
                    std::vector<int> vecSorted(vecOrder.begin(), vecOrder.end());
                    std::sort(vecSorted.begin(), vecSorted.end());
                    std::vector<int> vecAll(vecIds.size());
                    std::iota(vecAll.begin(), vecAll.end(), 0);
                    ASSERT_EQ(vecSorted, vecAll) << "every row once";
                    const auto itUnranked =
                        std::find(vecIds.begin(), vecIds.end(), store.GetCount() + 5);
                    EXPECT_EQ(vecOrder.back(), itUnranked - vecIds.begin())
                        << "column " << iColumn << ", direction " << iDir;
                    for (size_t k = 1; k + 1 < vecOrder.size(); ++k) {
                        const int iPrev = vecOrder[k - 1];
                        const int iNext = vecOrder[k];
                        const int iOrder = keys.Compare(static_cast<DWORD>(vecIds[iPrev]),
                                                        static_cast<DWORD>(vecIds[iNext])) *
                                           iDir;
                        EXPECT_TRUE(iOrder < 0 || (iOrder == 0 && iPrev < iNext))
                            << "column " << iColumn << ", direction " << iDir << ", at " << k;
                    }
                }
            }
            EXPECT_EQ(keys.Column(), iColumn);
            EXPECT_EQ(keys.Rank(store.GetCount() + 5), CSortKeys::kNoRank) << "an id without entry";
            keys.Clear();
            EXPECT_FALSE(keys.IsBuilt());
            EXPECT_EQ(keys.Column(), -1);
            EXPECT_EQ(keys.Entry(store.GetAt(0).m_nId), nullptr);
        }
    }
}

// Enough names that the sort splits them by the bytes of their heads, level after level, before
// comparing what is left: names alike for a while (some beyond sixteen units), then differing in
// one unit, in case only, in their length, or not at all. Then a name whose neighbour in the order
// lies in another range, whose heads moved on to its ninth unit: the two must not be taken for
// equal because those heads and their tails match.
TEST(SortKeys, ManyNamesRankAsTheirComparisonOrdersThem) {
    std::vector<std::string> vecRandom;
    const char* apszUnits[] = {"a", "A", "b", "_", "0", "9", "曲", "ソ", "é", "z", "."};
    const char* apszPrefixes[] = {"",       "track_00", "TRACK_00",
                                  "album ", "曲名_",    "the long common name "};
    std::uint32_t uSeed = 20261211;
    const auto Next = [&] { return (uSeed = uSeed * 1103515245u + 12345u) >> 8; };
    for (int i = 0; i < 4000; ++i) {
        std::string strName = apszPrefixes[Next() % std::size(apszPrefixes)];
        for (std::uint32_t u = Next() % 12; u > 0; --u) {
            strName += apszUnits[Next() % std::size(apszUnits)];
        }
        vecRandom.push_back(strName);
    }
    std::vector<std::string> vecNeighbours = {"abcdefghabcdefgh", "aa", "xxxxxxxxabcdefgh"};
    for (int i = 0; i < 70; ++i) {
        vecNeighbours.push_back("xxxxxxxxb" + std::to_string(i));
    }

    for (const auto& vecNames : {vecRandom, vecNeighbours}) {
        CFileCollector store;
        for (const std::string& strName : vecNames) {
            CFileEntry entry;
            entry.m_strName = AnsiFromUtf8(strName.c_str());
            entry.m_strFolder = "T:\\a";
            entry.m_strFullPath = entry.m_strFolder + "\\" + entry.m_strName;
            entry.m_strRoot = "T:";
            ASSERT_TRUE(store.Append(entry));
        }
        store.AssignIds();
        CSortKeys keys;
        keys.Build(store, 0);

        std::vector<CMyWString> vecWide;
        std::vector<DWORD> vecOrder(store.GetCount());
        for (DWORD i = 0; i < store.GetCount(); ++i) {
            vecWide.emplace_back(store.GetAt(i).m_strName.GetString());
            vecOrder[i] = i;
        }
        const auto Compare = [&](DWORD a, DWORD b) {
            return Sign(vecWide[a].Compare(vecWide[b].GetBuff(), TRUE));
        };
        std::stable_sort(vecOrder.begin(), vecOrder.end(),
                         [&](DWORD a, DWORD b) { return Compare(a, b) < 0; });
        for (size_t k = 1; k < vecOrder.size(); ++k) {
            const CFileEntry& a = store.GetAt(vecOrder[k - 1]);
            const CFileEntry& b = store.GetAt(vecOrder[k]);
            ASSERT_EQ(keys.Compare(a.m_nId, b.m_nId), Compare(vecOrder[k - 1], vecOrder[k]))
                << a.m_strName.GetString() << " / " << b.m_strName.GetString();
        }
    }
}

} // namespace
