#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "picker/core/PickerFolder.h"
#include "tests/common/ProgramFolders.h"

namespace {

WIN32_FIND_DATAA Record(const char* pcName, bool bFolder, ULONGLONG ullSize = 0,
                        ULONGLONG ullTime = 0) {
    WIN32_FIND_DATAA data{};
    std::strncpy(data.cFileName, pcName, MAX_PATH - 1);
    data.dwFileAttributes = bFolder ? FILE_ATTRIBUTE_DIRECTORY : 0;
    data.nFileSizeHigh = static_cast<DWORD>(ullSize >> 32);
    data.nFileSizeLow = static_cast<DWORD>(ullSize);
    data.ftLastWriteTime.dwHighDateTime = static_cast<DWORD>(ullTime >> 32);
    data.ftLastWriteTime.dwLowDateTime = static_cast<DWORD>(ullTime);
    return data;
}

void Fill(CPickerFolder& folder, const std::vector<WIN32_FIND_DATAA>& records) {
    folder.m_iItemNum = 0;
    folder.m_iFolderNum = 0;
    for (const WIN32_FIND_DATAA& data : records) {
        folder.m_aFindData.SetAt(folder.m_iItemNum++, data);
        folder.m_iFolderNum += data.dwFileAttributes == FILE_ATTRIBUTE_DIRECTORY;
    }
}

std::vector<std::string> Names(const CPickerFolder& folder) {
    std::vector<std::string> names;
    for (int i = 0; i < folder.m_iItemNum; ++i) {
        names.emplace_back(folder.m_aFindData[i].cFileName);
    }
    return names;
}

// The plain in-place selection sort and folder-first pass the picker's orders are defined by.
template <class Less>
void ReferenceSelectionSort(std::vector<WIN32_FIND_DATAA>& v, int a, int b, Less better) {
    for (int i = a; i < b; ++i) {
        int iCand = i;
        for (int j = i + 1; j <= b; ++j) {
            if (better(v[j], v[iCand])) {
                iCand = j;
            }
        }
        std::swap(v[i], v[iCand]);
    }
}

void ReferenceFolderFirst(std::vector<WIN32_FIND_DATAA>& v, int k) {
    const int n = static_cast<int>(v.size());
    if (n - 1 <= 0) {
        return;
    }
    auto isFolder = [&](int i) { return v[i].dwFileAttributes == FILE_ATTRIBUTE_DIRECTORY; };
    int remaining = k;
    int i = 0;
    while (i < n - 1) {
        if (remaining < 1) {
            break;
        }
        while (i < n - 1 && isFolder(i)) {
            ++i;
        }
        if (i < n - 1) {
            for (int j = i + 1; j < n; ++j) {
                if (isFolder(j)) {
                    std::swap(v[i], v[j]);
                    --remaining;
                    break;
                }
            }
        }
        ++i;
    }
}

} // namespace

TEST(PickerFolder, CompareNamesFoldsAsciiLettersOnly) {
    EXPECT_EQ(CPickerFolder::CompareNames("abc", "ABC"), 0);
    EXPECT_LT(CPickerFolder::CompareNames("ab", "abc"), 0);
    EXPECT_GT(CPickerFolder::CompareNames("\x80z", "zzz"), 0); // a byte 0x80 sorts after ASCII
    // Full-width A (0x82 0x60) and full-width a (0x82 0x81) stay different.
    EXPECT_NE(CPickerFolder::CompareNames("\x82\x60", "\x82\x81"), 0);
    // The trail byte 0x5A ('Z') of a double-byte character is folded too.
    EXPECT_EQ(CPickerFolder::CompareNames("\x83\x5A", "\x83\x7A"), 0);
}

TEST(PickerFolder, SizeSortIsTheUnstableSelectionSort) {
    CPickerFolder folder;
    Fill(folder, {Record("A", false, 5), Record("B", false, 3), Record("C", false, 5),
                  Record("D", false, 1)});
    folder.SortFileBySizeLoToHi(0, 3);
    EXPECT_EQ(Names(folder), (std::vector<std::string>{"D", "B", "C", "A"}));
}

TEST(PickerFolder, SortsMatchThePlainSelectionSortOnRandomTables) {
    std::mt19937 rng(20261208);
    const char* apcNames[] = {"a", "A", "b", "B", "ab", "AB", "abc", "\x95\x5C", "_", "z"};
    for (int iRound = 0; iRound < 200; ++iRound) {
        SCOPED_TRACE("round " + std::to_string(iRound));
        const int n = static_cast<int>(rng() % 40);
        std::vector<WIN32_FIND_DATAA> records;
        for (int i = 0; i < n; ++i) {
            WIN32_FIND_DATAA data =
                Record(apcNames[rng() % std::size(apcNames)], rng() % 3 == 0, rng() % 4, rng() % 3);
            // A tag the sorts do not look at, to tell equal keys apart.
            data.dwReserved0 = static_cast<DWORD>(i);
            records.push_back(data);
        }
        CPickerFolder folder;
        Fill(folder, records);
        const int k = folder.m_iFolderNum;
        folder.SortDefault();

        std::vector<WIN32_FIND_DATAA> expected = records;
        ReferenceFolderFirst(expected, k);
        auto nameLess = [](const WIN32_FIND_DATAA& x, const WIN32_FIND_DATAA& y) {
            return CPickerFolder::CompareNames(x.cFileName, y.cFileName) < 0;
        };
        ReferenceSelectionSort(expected, 0, k - 1, nameLess);
        ReferenceSelectionSort(expected, k, n - 1, nameLess);
        for (int i = 0; i < n; ++i) {
            ASSERT_EQ(folder.m_aFindData[i].dwReserved0,
                      expected[static_cast<size_t>(i)].dwReserved0)
                << "default order, row " << i;
        }

        if (n - k >= 2) {
            folder.SortFileBySizeHiToLo(k, n - 1);
            ReferenceSelectionSort(expected, k, n - 1,
                                   [](const WIN32_FIND_DATAA& x, const WIN32_FIND_DATAA& y) {
                                       return CPickerFolder::Compare64BitData(&x, &y) > 0;
                                   });
            for (int i = 0; i < n; ++i) {
                ASSERT_EQ(folder.m_aFindData[i].dwReserved0,
                          expected[static_cast<size_t>(i)].dwReserved0)
                    << "size order, row " << i;
            }
        }
    }
}

// Tables without equal keys, whose names often agree in their first eight bytes or differ only
// where folding or a byte above 0x7F decides: every order is the selection sort's.
TEST(PickerFolder, SortsOfDistinctKeysMatchThePlainSelectionSort) {
    using Better = bool (*)(const WIN32_FIND_DATAA&, const WIN32_FIND_DATAA&);
    const auto nameLess = [](const WIN32_FIND_DATAA& x, const WIN32_FIND_DATAA& y) {
        return CPickerFolder::CompareNames(x.cFileName, y.cFileName) < 0;
    };
    const auto sizeLess = [](const WIN32_FIND_DATAA& x, const WIN32_FIND_DATAA& y) {
        return CPickerFolder::Compare64BitData(&x, &y) < 0;
    };
    const struct {
        const char* pcOrder;
        void (*pSort)(CPickerFolder&);
        Better better;
        bool bDown;
        bool bFoldersToo; // the size sorts leave the folders as they are
    } aOrders[] = {
        {"name up", [](CPickerFolder& f) { f.SortDefault(); }, nameLess, false, true},
        {"name down",
         [](CPickerFolder& f) {
             f.SortFolderFirst();
             f.SortFolderByNameHiToLo();
             f.SortFileByNameHiToLo();
         },
         nameLess, true, true},
        {"size down",
         [](CPickerFolder& f) {
             f.SortFolderFirst();
             if (f.m_iItemNum - f.m_iFolderNum >= 2) { // fewer is refused with a trace line
                 f.SortFileBySizeHiToLo(f.m_iFolderNum, f.m_iItemNum - 1);
             }
         },
         sizeLess, true, false},
    };
    const char* apcPieces[] = {"track",    "TRACK",    "_", "a",   "Z",
                               "\x83\x5A", "\x83\x7A", "0", "\xFE"};
    std::mt19937 rng(20261210);
    for (const auto& order : aOrders) {
        for (int iRound = 0; iRound < 50; ++iRound) {
            SCOPED_TRACE(std::string(order.pcOrder) + ", round " + std::to_string(iRound));
            const int n = 3 + static_cast<int>(rng() % 60);
            std::vector<WIN32_FIND_DATAA> records;
            std::vector<std::string> seenFolded;
            while (static_cast<int>(records.size()) < n) {
                std::string strName;
                for (int iPiece = 1 + static_cast<int>(rng() % 4); iPiece > 0; --iPiece) {
                    strName += apcPieces[rng() % std::size(apcPieces)];
                }
                std::string strFolded = strName;
                for (char& c : strFolded) {
                    c = c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
                }
                if (std::find(seenFolded.begin(), seenFolded.end(), strFolded) !=
                    seenFolded.end()) {
                    continue;
                }
                seenFolded.push_back(strFolded);
                // Sizes distinct as well, and above 32 bits.
                WIN32_FIND_DATAA data =
                    Record(strName.c_str(), rng() % 4 == 0, (records.size() * 7919 % 1009) << 32);
                data.dwReserved0 = static_cast<DWORD>(records.size());
                records.push_back(data);
            }
            CPickerFolder folder;
            Fill(folder, records);
            const int k = folder.m_iFolderNum;
            order.pSort(folder);
            const auto better = [&](const WIN32_FIND_DATAA& x, const WIN32_FIND_DATAA& y) {
                return order.bDown ? order.better(y, x) : order.better(x, y);
            };
            std::vector<WIN32_FIND_DATAA> expected = records;
            ReferenceFolderFirst(expected, k);
            if (order.bFoldersToo) {
                ReferenceSelectionSort(expected, 0, k - 1, better);
            }
            ReferenceSelectionSort(expected, k, n - 1, better);
            for (int i = 0; i < n; ++i) {
                ASSERT_EQ(folder.m_aFindData[i].dwReserved0,
                          expected[static_cast<size_t>(i)].dwReserved0)
                    << "row " << i;
            }
        }
    }
}

TEST(PickerFolder, SizeSortOfFewerThanTwoFilesWritesItsTraceLine) {
    tessaly::test::ProgramFolders folders;
    CPickerFolder folder;
    Fill(folder, {Record("dir", true), Record("one", false, 1)});
    folder.SortFileBySizeLoToHi(folder.m_iFolderNum, folder.m_iItemNum - 1);
    std::string strExpected;
    tessaly::win32::Utf8ToAnsi("※　引数が無効です CMyFileDialog::SortFileBySizeLoToHi\r\n\t\t"
                               "iTopID[1] iEndID[1] iItemNum[2]\r\n",
                               strExpected);
    EXPECT_EQ(folders.TraceBytes(), strExpected);
}

TEST(PickerFolder, ListsAFolderAsThePickerShowsIt) {
    tessaly::test::ProgramFolders folders;
    for (const char* pcName : {"b.wav", "A.wav", "...", "c.wav"}) {
        folders.WriteBytes(std::string("music/") + pcName, "x");
    }
    folders.WriteBytes("music/zeta/x.wav", "x");
    folders.WriteBytes("music/Alpha/x.wav", "x");
    CPickerFolder folder;
    folder.m_strCurDir = folders.WinPath("music").c_str();
    ASSERT_TRUE(folder.ListCurrentFolder());
    EXPECT_EQ(folder.m_iFolderNum, 2);
    EXPECT_EQ(Names(folder),
              (std::vector<std::string>{"Alpha", "zeta", "A.wav", "b.wav", "c.wav"}));
    EXPECT_EQ(folder.m_aFindData[0].dwFileAttributes, static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_EQ(folder.m_aFindData[2].dwFileAttributes, 0u); // reduced to the folder bit

    CPickerFolder missing;
    missing.m_strCurDir = folders.WinPath("nowhere").c_str();
    EXPECT_FALSE(missing.ListCurrentFolder());
    EXPECT_EQ(missing.m_iItemNum, 0);
}

TEST(PickerFolder, TableGrowsPastItsFirst2000Records) {
    tessaly::test::ProgramFolders folders;
    for (int i = 0; i < 2500; ++i) {
        folders.WriteBytes("big/f" + std::to_string(10000 + i), "");
    }
    CPickerFolder folder;
    folder.m_strCurDir = folders.WinPath("big").c_str();
    ASSERT_TRUE(folder.ListCurrentFolder());
    EXPECT_EQ(folder.m_iItemNum, 2500);
    EXPECT_EQ(folder.m_aFindData.GetCapacity(), 7000);
    EXPECT_STREQ(folder.m_aFindData[2499].cFileName, "f12499");
}

TEST(PickerFolder, PickedFolderDropsOnlyATrailingBackslash) {
    const struct {
        const char* pcCurDir;
        int iResult;
        const char* pcExpected;
    } rows[] = {
        {"T:\\", 1, "T:"},
        {"T:\\music", 1, "T:\\music"},
        {"T:\\\x95\x5C", 1, "T:\\\x95\x5C"}, // 表: its trail byte is 0x5C, not a separator
        {"", 0, ""},
    };
    for (const auto& row : rows) {
        CPickerFolder folder;
        folder.m_strCurDir = row.pcCurDir;
        CString strOut;
        EXPECT_EQ(folder.GetPickedFolder(strOut), row.iResult) << row.pcCurDir;
        EXPECT_STREQ(static_cast<const char*>(strOut), row.pcExpected) << row.pcCurDir;
    }
}
