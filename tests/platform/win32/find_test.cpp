#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "PathTestFolder.h"
#include "platform/win32/Win32Errors.h"
#include "tests/common/Platform.h"

class FindFile : public PathTestFolder {
protected:
    // The names a search returns, in order (UTF-8), or the error code as "error N".
    static std::vector<std::string> List(const std::string& strAnsiPattern) {
        WIN32_FIND_DATAA data;
        const HANDLE hFind = FindFirstFileA(strAnsiPattern.c_str(), &data);
        if (hFind == INVALID_HANDLE_VALUE) {
            return {"error " + std::to_string(GetLastError())};
        }
        std::vector<std::string> names;
        do {
            names.push_back(tessaly::win32::AnsiToUtf8(data.cFileName));
        } while (FindNextFileA(hFind, &data));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
        EXPECT_TRUE(FindClose(hFind));
        return names;
    }

    static WIN32_FIND_DATAA FindOne(const std::string& strAnsiPath) {
        WIN32_FIND_DATAA data{};
        const HANDLE hFind = FindFirstFileA(strAnsiPath.c_str(), &data);
        EXPECT_NE(hFind, INVALID_HANDLE_VALUE) << strAnsiPath << " error " << GetLastError();
        if (hFind != INVALID_HANDLE_VALUE) {
            FindClose(hFind);
        }
        return data;
    }

    static std::vector<std::string> Names(std::initializer_list<const char*> names) {
        return {names.begin(), names.end()};
    }
};

TEST_F(FindFile, ListsInNtfsOrderWhateverTheCreationOrder) {
    TESSALY_STAND_IN_ONLY("names that differ only in case, which Windows cannot hold together");
    MakeFolder("sub");
    std::vector<std::string> names = {"b",  "A",  "_x", "a",  "Z",  ".hidden", "é",   "あ",  "ア",
                                      "ｂ", "Ａ", "ａ", "Ｚ", "10", "9",       "a b", "日本"};
    std::shuffle(names.begin(), names.end(), std::mt19937(7));
    for (const std::string& strName : names) {
        MakeFile("sub/" + strName);
    }
    // By upper-cased UTF-16 units ("_" is 0x5F, after the letters), equal ones by their bytes.
    EXPECT_EQ(List("P:\\sub\\*"), Names({".", "..", ".hidden", "10", "9", "A", "a", "a b", "b", "Z",
                                         "_x", "é", "あ", "ア", "日本", "Ａ", "ａ", "ｂ", "Ｚ"}));
}

// Names alike in their first four units are ordered by the rest; ASCII names listed by "*" take
// a shorter way to their keys than those a pattern must read, and both give one order.
TEST_F(FindFile, NamesAlikeInTheirFirstUnitsKeepNtfsOrder) {
    TESSALY_STAND_IN_ONLY("names that differ only in case, which Windows cannot hold together");
    MakeFolder("sub");
    std::vector<std::string> names = {"abcd_", "abcdé", "abcD",   "ABCDe", "abc",
                                      "abcd",  "abcdZ", "abcde1", "b"};
    std::shuffle(names.begin(), names.end(), std::mt19937(11));
    for (const std::string& strName : names) {
        MakeFile("sub/" + strName);
    }
    const std::vector<std::string> expected = {"abc",   "abcD",  "abcd",  "ABCDe", "abcde1",
                                               "abcdZ", "abcd_", "abcdé", "b"};
    for (const char* pcPattern : {"P:\\sub\\*", "P:\\sub\\a*", "P:\\sub\\*.*"}) {
        SCOPED_TRACE(pcPattern);
        std::vector<std::string> listed = List(pcPattern);
        listed.erase(std::remove_if(listed.begin(), listed.end(),
                                    [](const std::string& s) { return s == "." || s == ".."; }),
                     listed.end());
        if (std::string(pcPattern).ends_with("a*")) {
            EXPECT_EQ(listed, std::vector<std::string>(expected.begin(), expected.end() - 1));
        } else {
            EXPECT_EQ(listed, expected);
        }
    }
}

TEST_F(FindFile, DotEntriesComeFirstExceptAtADriveRoot) {
    TESSALY_STAND_IN_ONLY("a drive table");
    MakeFolder("sub");
    MakeFile("x");
    MakeFolder("sub/inner");
    MapDrives({{'P', m_strRoot}, {'O', Posix("sub")}});
    EXPECT_EQ(List("P:\\*"), Names({"sub", "x"}));
    EXPECT_EQ(List("P:\\*.*"), Names({"sub", "x"}));
    EXPECT_EQ(List("O:\\*"), Names({"inner"}));
    EXPECT_EQ(List("P:\\sub\\*"), Names({"inner"})); // O's root, whichever drive names it
    EXPECT_EQ(List("P:\\sub\\inner\\*"), Names({".", ".."}));
    // "." describes the folder itself and ".." its parent, also where the folder is reached
    // through a link or spelled in another case.
    SetMtime("sub/inner", 1577934245, 0);
    SetMtime("sub", 1600000000, 0);
    std::filesystem::create_directory_symlink("sub/inner", FsPath(Posix("link")));
    for (const char* pcFolder : {"P:\\sub\\inner", "P:\\link", "P:\\SUB\\Inner"}) {
        SCOPED_TRACE(pcFolder);
        WIN32_FIND_DATAA data;
        const HANDLE hFind = FindFirstFileA((std::string(pcFolder) + "\\*").c_str(), &data);
        ASSERT_NE(hFind, INVALID_HANDLE_VALUE);
        EXPECT_EQ(data.dwFileAttributes, static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
        EXPECT_EQ(data.ftLastWriteTime.dwLowDateTime,
                  FindOne("P:\\sub\\inner").ftLastWriteTime.dwLowDateTime);
        ASSERT_TRUE(FindNextFileA(hFind, &data));
        EXPECT_STREQ(data.cFileName, "..");
        FindClose(hFind);
    }
}

TEST_F(FindFile, MatchesPatternsAsWindowsDoes) {
    MakeFolder("w");
    for (const char* pszName : {"a", "ab", "abc", "ac", "a.txt", "b.TXT", "readme", "a.b.c",
                                "x.wav", "y.wav.bak", ".hidden", "日本語.txt"}) {
        MakeFile(std::string("w/") + pszName);
    }
    const struct {
        const char* pszPattern;
        std::vector<std::string> expected;
    } rows[] = {
        {"*", Names({".", "..", ".hidden", "a", "a.b.c", "a.txt", "ab", "abc", "ac", "b.TXT",
                     "readme", "x.wav", "y.wav.bak", "日本語.txt"})},
        {"*.*", Names({".", "..", ".hidden", "a", "a.b.c", "a.txt", "ab", "abc", "ac", "b.TXT",
                       "readme", "x.wav", "y.wav.bak", "日本語.txt"})},
        {"*.txt", Names({"a.txt", "b.TXT", "日本語.txt"})},
        {"*.WAV", Names({"x.wav"})},
        {"*.", Names({".", "..", "a", "ab", "abc", "ac", "readme"})},
        {"a?c", Names({"abc"})},
        {"a?", Names({"a", "ab", "ac"})},
        // '?' also matches nothing before a dot.
        {"?.*",
         Names({".", "..", ".hidden", "a", "a.b.c", "a.txt", "b.TXT", "x.wav", "y.wav.bak"})},
        {"*c", Names({"a.b.c", "abc", "ac"})},
        {"a*.*", Names({"a", "a.b.c", "a.txt", "ab", "abc", "ac"})},
        {"日本*", Names({"日本語.txt"})},
        {"nothing*", Names({"error 2"})},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        // Wine matches '?' and "*." as Unix patterns: '?' always takes a character, and "*."
        // lists every name.
        const std::string_view strPattern = rows[i].pszPattern;
        if (tessaly::test::UnderWine() &&
            (strPattern == "*." || strPattern == "a?" || strPattern == "?.*")) {
            continue;
        }
        EXPECT_EQ(List(Ansi(std::string("P:\\w\\") + rows[i].pszPattern)), rows[i].expected)
            << "row " << i << " " << rows[i].pszPattern;
    }
}

TEST_F(FindFile, RelativePatternsListTheCurrentDirectory) {
    MakeFolder("cur");
    MakeFile("cur/one");
    ASSERT_TRUE(SetCurrentDirectoryA("P:\\CUR"));
    EXPECT_EQ(List("*.*"), Names({".", "..", "one"}));
}

TEST_F(FindFile, WithoutWildcardFindsTheOnePathIgnoringCase) {
    MakeFolder("Sub");
    MakeFile("Sub/File.txt");
    const struct {
        const char* pszPath;
        std::vector<std::string> expected;
    } rows[] = {
        {"P:\\sub\\FILE.TXT", Names({"File.txt"})},
        {"P:\\SUB", Names({"Sub"})},
        {"P:\\SUB\\", Names({"Sub"})},
        {"P:\\", Names({""})},
        {"P:\\sub\\missing", Names({"error 2"})},
        {"P:\\missing\\x", Names({"error 3"})},
        {"P:\\missing\\*", Names({"error 3"})},
        {"P:\\Sub\\File.txt\\*", Names({"error 3"})},
        {"P:\\Sub\\File.txt\\", Names({"error 3"})},
        {"P:\\Sub\\*.wav", Names({"error 2"})},
        {"P:\\*\\x", Names({"error 123"})},
        {"Q:\\x", Names({"error 3"})},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        if (i == 7 && tessaly::test::UnderWine()) {
            continue; // Wine: ERROR_INVALID_NAME for a search below a file
        }
        EXPECT_EQ(List(rows[i].pszPath), rows[i].expected) << "row " << i;
    }
    EXPECT_EQ(FindOne("P:\\SUB").dwFileAttributes, static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_EQ(FindOne("P:\\").dwFileAttributes, static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_EQ(FindOne("P:\\sub\\file.txt").dwFileAttributes,
              static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE));
}

TEST_F(FindFile, RefusesHandlesItDidNotGive) {
    WIN32_FIND_DATAA data;
    for (HANDLE h : {INVALID_HANDLE_VALUE, static_cast<HANDLE>(nullptr),
                     reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(0x12345678))}) {
        SetLastError(0);
        EXPECT_FALSE(FindNextFileA(h, &data));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
        EXPECT_FALSE(FindClose(h));
    }
    MakeFile("x");
    const HANDLE hFind = FindFirstFileA("P:\\*", &data);
    ASSERT_NE(hFind, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(FindClose(hFind));
    EXPECT_FALSE(FindClose(hFind));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(FindNextFileA(hFind, &data));
}

TEST_F(FindFile, RecordsCarrySizesTimesAndKinds) {
    MakeFolder("folder");
    MakeFile("big");
    constexpr std::uint64_t kSize = (std::uint64_t{5} << 32) + 123; // sparse: no blocks written
    std::filesystem::resize_file(FsPath(Posix("big")), kSize);
    SetMtime("big", 1577934245, 123456789); // 2020-01-02 03:04:05.123456789 UTC
    // Wine cannot make symbolic links; Windows needs a privilege for them.
    const bool bLinks = !tessaly::test::kOnWindows;
    if (bLinks) {
        std::filesystem::create_directory_symlink("folder", FsPath(Posix("link")));
        std::filesystem::create_symlink("nowhere", FsPath(Posix("dangling")));
    }

    const WIN32_FIND_DATAA big = FindOne("P:\\BIG");
    EXPECT_EQ(big.nFileSizeHigh, 5u);
    EXPECT_EQ(big.nFileSizeLow, 123u);
    const std::uint64_t uTicks = (1577934245ull + 11644473600ull) * 10'000'000ull + 1234567ull;
    EXPECT_EQ(big.ftLastWriteTime.dwLowDateTime, static_cast<DWORD>(uTicks & 0xFFFFFFFF));
    EXPECT_EQ(big.ftLastWriteTime.dwHighDateTime, static_cast<DWORD>(uTicks >> 32));
    EXPECT_EQ(big.cAlternateFileName[0], '\0');

    WIN32_FIND_DATAA data;
    const HANDLE hFind = FindFirstFileA("P:\\*", &data);
    ASSERT_NE(hFind, INVALID_HANDLE_VALUE);
    std::map<std::string, WIN32_FIND_DATAA> records;
    do {
        records[data.cFileName] = data;
    } while (FindNextFileA(hFind, &data));
    FindClose(hFind);
    ASSERT_EQ(records.size(), bLinks ? 4u : 2u);
    EXPECT_EQ(records["big"].nFileSizeHigh, 5u);
    EXPECT_EQ(records["folder"].dwFileAttributes, static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_EQ(records["folder"].nFileSizeLow, 0u);
    if (!bLinks) {
        return;
    }
    EXPECT_EQ(records["link"].dwFileAttributes, static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_EQ(records["dangling"].dwFileAttributes,
              static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_REPARSE_POINT));
    EXPECT_EQ(FindOne("P:\\dangling").dwFileAttributes, records["dangling"].dwFileAttributes);
    EXPECT_EQ(records["dangling"].nFileSizeLow, 7u); // the link itself: "nowhere"
}

// Past its first entries a listing describes the rest at once, in the folder's own order (a large
// folder on two threads): every record still carries its own entry's kind, size and time, and a
// file removed after the listing began and before that is left out.
TEST_F(FindFile, RecordsOfALongListingDescribeTheirOwnEntries) {
    TESSALY_STAND_IN_ONLY("a removal seen by the stand-in's stats; Windows lists what it read");
    for (const int nEntries : {80, 4200}) {
        SCOPED_TRACE(nEntries);
        const std::string strFolder = "many" + std::to_string(nEntries);
        MakeFolder(strFolder);
        for (int i = nEntries - 1; i >= 0; --i) {
            const std::string strName = strFolder + "/e" + std::to_string(10 + i);
            if (i % 10 == 3) {
                MakeFolder(strName);
            } else if (i % 10 == 7) {
                std::filesystem::create_symlink("nowhere", FsPath(Posix(strName)));
            } else {
                MakeFile(strName);
                std::filesystem::resize_file(FsPath(Posix(strName)),
                                             static_cast<std::uintmax_t>(i));
                SetMtime(strName, 1600000000 + i, 0);
            }
        }
        WIN32_FIND_DATAA data;
        const HANDLE hFind = FindFirstFileA(("P:\\" + strFolder + "\\*").c_str(), &data);
        ASSERT_NE(hFind, INVALID_HANDLE_VALUE);
        int nRecords = 0;
        do {
            if (++nRecords == 10) {
                std::filesystem::remove(FsPath(Posix(strFolder + "/e70"))); // a file, listed later
            }
            const std::string strName = data.cFileName;
            if (strName == "." || strName == "..") {
                continue;
            }
            SCOPED_TRACE(strName);
            const int i = std::stoi(strName.substr(1)) - 10;
            EXPECT_NE(i, 60);
            const DWORD dwKind = i % 10 == 3 ? FILE_ATTRIBUTE_DIRECTORY
                                 : i % 10 == 7
                                     ? FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_REPARSE_POINT
                                     : FILE_ATTRIBUTE_ARCHIVE;
            ASSERT_EQ(data.dwFileAttributes, dwKind);
            ASSERT_EQ(data.nFileSizeLow, static_cast<DWORD>(i % 10 == 3 ? 0 : i % 10 == 7 ? 7 : i));
            if (dwKind == FILE_ATTRIBUTE_ARCHIVE) {
                const std::uint64_t uTicks =
                    (1600000000ull + static_cast<unsigned>(i) + 11644473600ull) * 10'000'000ull;
                ASSERT_EQ(data.ftLastWriteTime.dwLowDateTime,
                          static_cast<DWORD>(uTicks & 0xFFFFFFFF));
            }
        } while (FindNextFileA(hFind, &data));
        FindClose(hFind);
        EXPECT_EQ(nRecords, 2 + nEntries - 1);
    }
}

TEST_F(FindFile, ListsEveryNameAndCountsTheOnesTooLongInCp932) {
    TESSALY_STAND_IN_ONLY("names that are no UTF-8, which Windows cannot hold");
    tessaly::win32::ResetNameCodec();
    // 0xFF is no UTF-8: each such byte takes four CP932 bytes, 280 for the long name, more than
    // cFileName holds.
    MakeFolder("long");
    MakeFile("long/" + std::string(70, '\xFF'));
    MakeFile("long/" + std::string(1, '\xFF'));
    EXPECT_EQ(List("P:\\long\\*"), Names({".", "..", "\xFF"}));
    EXPECT_EQ(tessaly::win32::UnmappableNameCount(), 1u);
    tessaly::win32::ResetNameCodec();
    // More distinct characters than there are user-defined codes, each in a name of its own,
    // among the names a filter would keep.
    MakeFolder("h");
    std::vector<std::string> names;
    for (char32_t c = 0xAC00; c < 0xAC00 + 1200; ++c) {
        std::string strName;
        strName += static_cast<char>(0xE0 | (c >> 12));
        strName += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        strName += static_cast<char>(0x80 | (c & 0x3F));
        names.push_back(strName + ".jpg");
    }
    for (const char* pszName : {"café.wav", "naïve.wav", "😀.wav", "한글노래.wav"}) {
        names.emplace_back(pszName);
    }
    for (const std::string& strName : names) {
        MakeFile("h/" + strName);
    }
    std::vector<std::string> listed = List("P:\\h\\*");
    ASSERT_EQ(listed.size(), 2 + names.size());
    listed.erase(listed.begin(), listed.begin() + 2);
    std::sort(listed.begin(), listed.end());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(listed, names);
    EXPECT_EQ(tessaly::win32::UnmappableNameCount(), 0u);
}

// Handles opened and closed in any order stay each their own: a live one is always found (a
// single search then answers "no more files"), a closed one never again, and no value comes back.
TEST_F(FindFile, HandlesStayDistinctThroughLongRunsOfOpensAndCloses) {
    TESSALY_STAND_IN_ONLY("Windows hands a closed handle's value out again");
    MakeFile("x");
    WIN32_FIND_DATAA data;
    const auto isLive = [&data](HANDLE h) {
        SetLastError(0);
        const BOOL bNext = FindNextFileA(h, &data);
        const DWORD dwError = GetLastError();
        EXPECT_FALSE(bNext);
        return dwError == ERROR_NO_MORE_FILES;
    };
    std::mt19937 rng(20261209);
    std::vector<HANDLE> live;
    std::vector<HANDLE> closed;
    std::set<std::uintptr_t> seen;
    // A few kept open all along, so that later handles wrap around them in the table.
    for (int i = 0; i < 3; ++i) {
        live.push_back(FindFirstFileA("P:\\x", &data));
        ASSERT_NE(live.back(), INVALID_HANDLE_VALUE);
        seen.insert(reinterpret_cast<std::uintptr_t>(live.back()));
    }
    const std::size_t kKept = live.size();
    for (int round = 0; round < 3000; ++round) {
        // Grow to about 200 live handles, then shrink, closing from anywhere but the kept ones.
        const bool bOpen =
            live.size() <= kKept || ((round / 400) % 2 == 0 ? rng() % 4 != 0 : rng() % 4 == 0);
        if (bOpen) {
            const HANDLE h = FindFirstFileA("P:\\x", &data);
            ASSERT_NE(h, INVALID_HANDLE_VALUE);
            ASSERT_TRUE(seen.insert(reinterpret_cast<std::uintptr_t>(h)).second) << round;
            live.push_back(h);
        } else {
            const std::size_t i = kKept + rng() % (live.size() - kKept);
            ASSERT_TRUE(FindClose(live[i])) << round;
            closed.push_back(live[i]);
            live.erase(live.begin() + static_cast<std::ptrdiff_t>(i));
        }
        if (round % 100 == 99) {
            for (HANDLE h : live) {
                ASSERT_TRUE(isLive(h)) << round;
            }
            for (HANDLE h : closed) {
                ASSERT_FALSE(isLive(h)) << round;
                EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
            }
        }
    }
    for (HANDLE h : live) {
        EXPECT_TRUE(FindClose(h));
    }
    for (HANDLE h : live) {
        EXPECT_FALSE(FindClose(h));
    }
}
