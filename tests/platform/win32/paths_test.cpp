#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>
#include <vector>

#include "PathTestFolder.h"
#include "platform/win32/Win32Errors.h"
#include "platform/win32/posix/PathResolve.h"

using tessaly::win32::ParseDriveSpec;
using tessaly::win32::PosixToWindowsPath;
using tessaly::win32::ToWindowsPath;
using tessaly::win32::WindowsToPosixPath;

TEST(DriveSpec, ParsesEntriesAndIgnoresMalformedOnes) {
    const struct {
        const char* pszSpec;
        std::map<char, std::string> expected;
    } rows[] = {
        {"C=/srv/music;D=/media/usb", {{'C', "/srv/music"}, {'D', "/media/usb"}}},
        {"c=/a; d:=/b ;", {{'C', "/a"}, {'D', "/b"}}},
        {"C=/a;C=/b", {{'C', "/b"}}},
        {"C=relative;1=/x;CD=/x;=/x;E=;;F", {}},
        {"G = /with space", {{'G', "/with space"}}},
        {"", {}},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        EXPECT_EQ(ParseDriveSpec(rows[i].pszSpec), rows[i].expected) << "row " << i;
    }
}

TEST(DriveTable, KeepsZAsTheWholeFileSystemUnlessMapped) {
    const auto saved = tessaly::win32::GetDriveTable();
    tessaly::win32::SetDriveTable({{'c', "/srv//music/"}});
    EXPECT_EQ(tessaly::win32::GetDriveTable(),
              (std::map<char, std::string>{{'C', "/srv/music"}, {'Z', "/"}}));
    tessaly::win32::SetDriveTable({{'Z', "/srv"}});
    EXPECT_EQ(WindowsToPosixPath("Z:\\x"), std::optional<std::string>("/srv/x"));
    tessaly::win32::SetDriveTable(saved);
}

class PathForms : public PathTestFolder {
protected:
    void SetUp() override {
        PathTestFolder::SetUp();
        MakeFolder("cur");
        MakeFolder("cur/sub");
        ASSERT_TRUE(SetCurrentDirectoryA("P:\\cur\\sub"));
    }
};

TEST_F(PathForms, WindowsPathsMapToPosixLexically) {
    const std::string strRoot = m_strRoot;
    const struct {
        std::string strWindows;
        std::optional<std::string> expected;
    } rows[] = {
        {"P:\\a\\b", strRoot + "/a/b"},
        {"P:/a/b", strRoot + "/a/b"},
        {"p:\\a\\\\b\\", strRoot + "/a/b"},
        {"P:\\", strRoot},
        {"P:", strRoot + "/cur/sub"},
        {"P:x", strRoot + "/cur/sub/x"},
        {"\\a", strRoot + "/a"},
        {"a\\b", strRoot + "/cur/sub/a/b"},
        {".\\a\\.\\b", strRoot + "/cur/sub/a/b"},
        {"..\\a", strRoot + "/cur/a"},
        {"..\\..\\..\\..\\a", strRoot + "/a"},
        {"P:\\a\\..\\..\\b", strRoot + "/b"},
        {"Z:\\etc\\.\\passwd", "/etc/passwd"},
        // 表 and ソ end in 0x5C, which is no separator there.
        {Ansi("P:\\日本\\表\\ソ"), strRoot + "/日本/表/ソ"},
        {"Q:\\a", std::nullopt},
        {"", std::nullopt},
        {"\\\\server\\share", std::nullopt},
        {"P:\\a:b", std::nullopt},
        {"P:\\a|b", std::nullopt},
        {"P:\\a*b", std::nullopt},
        {"P:\\a\\b?", std::nullopt},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        EXPECT_EQ(WindowsToPosixPath(rows[i].strWindows), rows[i].expected) << "row " << i;
    }
}

TEST_F(PathForms, MalformedCp932NeverHidesASeparatorOrAForbiddenByte) {
    // A lead byte takes the next byte only when that is a trail byte; an invalid byte is read as
    // Windows reads it (U+30FB). Bytes 0xF6-0xFC start no character for the program's byte tests,
    // so they take nothing with them either.
    const std::string strRoot = m_strRoot;
    const struct {
        std::string strWindows;
        std::optional<std::string> expected;
    } rows[] = {
        {"P:\\\x81/x", strRoot + "/・/x"},
        {"P:\\a\x81\\b", strRoot + "/a―b"}, // 0x815C: the '\' is its trail byte
        {"P:\\a\x81", strRoot + "/a・"},
        {"P:\\a\x81\\", strRoot + "/a―"},
        {"P:\\a\x81\\\\b", strRoot + "/a―/b"},
        {"P:\\\x81\n", std::nullopt},
        {"P:\\\x81\x01x", std::nullopt},
        {"P:\\\x81<", std::nullopt},
        {"P:\\\x81:b", std::nullopt},
        {"P:\\\x81|", strRoot + "/－"}, // 0x817C: the '|' is its trail byte
        {"P:\\\xf6\\x", strRoot + "/・/x"},
        {"P:\\\xfa\\x", strRoot + "/・/x"},
        {"P:\\\xfa|", std::nullopt},
        {"P:\\\xfa\x40", strRoot + "/ⅰ"},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        EXPECT_EQ(WindowsToPosixPath(rows[i].strWindows), rows[i].expected) << "row " << i;
    }
}

TEST_F(PathForms, PosixPathsMapThroughTheLongestRoot) {
    MapDrives({{'P', m_strRoot}, {'O', m_strRoot + "/cur"}});
    const std::string strRoot = m_strRoot;
    const struct {
        std::string strPosix;
        std::optional<std::string> expected;
    } rows[] = {
        {strRoot + "/cur/x", "O:\\x"},
        {strRoot + "/cur", "O:\\"},
        {strRoot + "/curly", "P:\\curly"},
        {strRoot + "/other/./y/", "P:\\other\\y"},
        {strRoot, "P:\\"},
        {"/", "Z:\\"},
        {"/etc/../usr", "Z:\\usr"},
        {strRoot + "/日本/表", Ansi("P:\\日本\\表")},
        {"x/y", "O:\\sub\\x\\y"}, // against the process's working directory
        {"", std::nullopt},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        EXPECT_EQ(PosixToWindowsPath(rows[i].strPosix), rows[i].expected) << "row " << i;
    }
}

TEST_F(PathForms, NamesWindowsCannotHoldComeBackToTheSameFile) {
    for (const std::string strName : {"café", "a:b", "what?", "한국"}) {
        const std::optional<std::string> strWindows = PosixToWindowsPath(Posix(strName));
        ASSERT_TRUE(strWindows.has_value()) << strName;
        EXPECT_EQ(WindowsToPosixPath(*strWindows), Posix(strName)) << strName;
    }
}

TEST_F(PathForms, LinkedRootsAlsoMatchTheirRealFolder) {
    MakeFolder("real");
    ASSERT_EQ(::symlink(Posix("real").c_str(), Posix("link").c_str()), 0);
    MapDrives({{'L', Posix("link")}});
    EXPECT_EQ(PosixToWindowsPath(Posix("real/f")), std::optional<std::string>("L:\\f"));
    EXPECT_EQ(PosixToWindowsPath(Posix("link/f")), std::optional<std::string>("L:\\f"));
}

TEST_F(PathForms, EitherFormBecomesAFullWindowsPath) {
    EXPECT_EQ(ToWindowsPath(Posix("cur/日本")), Ansi("P:\\cur\\日本"));
    EXPECT_EQ(ToWindowsPath("P:/a/../日本"), Ansi("P:\\日本"));
    EXPECT_EQ(ToWindowsPath("x"), std::optional<std::string>("P:\\cur\\sub\\x"));
    EXPECT_EQ(ToWindowsPath("Q:\\x"), std::nullopt);
}

TEST_F(PathForms, ResolvingFailsForUnmappedDrivesAndForbiddenNames) {
    std::string strPosix;
    const struct {
        const char* pszPath;
        DWORD dwError;
    } rows[] = {
        {"Q:\\a", ERROR_PATH_NOT_FOUND},           {"", ERROR_PATH_NOT_FOUND},
        {"P:\\a<b", ERROR_INVALID_NAME},           {"P:\\*", ERROR_INVALID_NAME},
        {"\\\\srv\\share\\a", ERROR_INVALID_NAME}, {"P:\\missing\\a", ERROR_PATH_NOT_FOUND}};
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SetLastError(0);
        EXPECT_FALSE(tessaly::win32::detail::ResolvePath(rows[i].pszPath, strPosix)) << "row " << i;
        EXPECT_EQ(GetLastError(), rows[i].dwError) << "row " << i;
    }
}

// The parser refills the lists of the path it is given; what it leaves there must be exactly what
// a fresh path would get, whatever was parsed into it before (longer, shorter, failed, relative).
TEST_F(PathForms, ParsingIntoAUsedPathGivesWhatAFreshOneGets) {
    using tessaly::win32::detail::ParseWindowsPath;
    using tessaly::win32::detail::WindowsPath;
    const struct {
        std::string strPath;
        bool bAllowPattern;
    } rows[] = {
        {"P:\\a\\bb\\ccc\\a name longer than fifteen bytes\\e", false},
        {"P:\\a", false},
        {"P:\\a\\bb\\", false},
        {"sub2\\x", false},
        {"..\\..\\y\\..\\z", false},
        {"P:\\a\\*.mp3", true},
        {"P:\\a\\*.mp3", false},
        {"P:\\a*\\b", true},
        {"P:\\a\\b\\*", true},
        {"P:\\a\\b\\", true},
        {"P:\\a<b\\..\\c", false},
        {"Q:\\a", false},
        {"\\\\server\\share", false},
        {"", false},
        {"P:", false},
        {"P:\\", false},
        {"P:\\.\\", false},
        // Bytes above 0x7F that lead no character (0x80, 0xA0, half-width kana, 0xFD), DEL, a
        // pair code and Japanese: each such name has a disk form of its own.
        {"P:\\\x80\\\xa0x\\\xb1\xb2\\\xfd\\a\x7f", false},
        {Ansi("P:\\café\\日本語のとても長い名前です\\表"), false},
        {"P:\\a\\bb\\ccc\\a name longer than fifteen bytes", false},
        {"P:\\a\\bb\\ccc\\a name longer than fifteen bytes\\e", false},
    };
    const auto same = [](const WindowsPath& a, const WindowsPath& b) {
        return a.cDrive == b.cDrive && a.strRoot == b.strRoot && a.aAnsi == b.aAnsi &&
               a.aDisk == b.aDisk && a.bTrailingSeparator == b.bTrailingSeparator &&
               a.strPattern == b.strPattern;
    };
    std::vector<std::size_t> order;
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        order.push_back(i);
    }
    for (std::size_t i = std::size(rows); i-- > 0;) {
        order.push_back(i);
    }
    WindowsPath used;
    for (std::size_t step = 0; step < order.size(); ++step) {
        const auto& row = rows[order[step]];
        SetLastError(0);
        WindowsPath fresh;
        const bool bFresh = ParseWindowsPath(row.strPath, fresh, row.bAllowPattern);
        const DWORD dwFresh = GetLastError();
        SetLastError(0);
        const bool bUsed = ParseWindowsPath(row.strPath, used, row.bAllowPattern);
        EXPECT_EQ(bUsed, bFresh) << "step " << step;
        EXPECT_EQ(GetLastError(), dwFresh) << "step " << step;
        if (bFresh && bUsed) {
            EXPECT_TRUE(same(used, fresh)) << "step " << step;
            ASSERT_EQ(fresh.aAnsi.size(), fresh.aDisk.size());
            for (std::size_t k = 0; k < fresh.aAnsi.size(); ++k) {
                EXPECT_EQ(fresh.aDisk[k], tessaly::win32::AnsiNameToDisk(fresh.aAnsi[k]))
                    << "step " << step << " name " << k;
            }
        }
    }
    // A relative path follows the current directory, also into the same path object.
    ASSERT_TRUE(ParseWindowsPath("x", used));
    EXPECT_EQ(used.PosixPath(), m_strRoot + "/cur/sub/x");
    ASSERT_TRUE(SetCurrentDirectoryA("P:\\cur"));
    ASSERT_TRUE(ParseWindowsPath("x", used));
    EXPECT_EQ(used.PosixPath(), m_strRoot + "/cur/x");
}

// Each path keeps a random part of the one before and adds random pieces, so that parses into
// the same object share folders in every way: cut inside a character, a trail byte 0x5C, a lead
// byte before a separator, either separator, "." and "..", refused names, the current directory
// changing under relative paths.
TEST_F(PathForms, PathsSharingFoldersWithTheLastParseGiveWhatAFreshParseGives) {
    using tessaly::win32::detail::ParseWindowsPath;
    using tessaly::win32::detail::WindowsPath;
    const std::vector<std::string> pieces = {"a", "bb", "\x81\x5c", "\x83\x5cx", "..",         ".",
                                             "",  "*",  "c<d",      "\x81",      Ansi("日本"), "A"};
    const std::vector<std::string> starts = {"P:\\", "P:", "\\", "", "P:\\cur\\"};
    std::mt19937 rng(20261209);
    WindowsPath used;
    std::string strPath;
    for (int step = 0; step < 4000; ++step) {
        if (rng() % 8 == 0 || strPath.empty()) {
            strPath = starts[rng() % starts.size()];
        } else {
            strPath.resize(rng() % (strPath.size() + 1));
        }
        for (unsigned k = 0, n = 1 + rng() % 4; k < n; ++k) {
            strPath += pieces[rng() % pieces.size()];
            strPath += rng() % 4 == 0 ? '/' : '\\';
        }
        if (rng() % 2 == 0) {
            strPath.pop_back();
        }
        if (step % 500 == 0) {
            ASSERT_TRUE(SetCurrentDirectoryA(step % 1000 == 0 ? "P:\\cur" : "P:\\cur\\sub"));
        }
        const bool bAllowPattern = rng() % 2 == 0;
        WindowsPath fresh;
        const bool bFresh = ParseWindowsPath(strPath, fresh, bAllowPattern);
        ASSERT_EQ(ParseWindowsPath(strPath, used, bAllowPattern), bFresh) << strPath;
        if (bFresh) {
            ASSERT_EQ(used.aAnsi, fresh.aAnsi) << strPath;
            ASSERT_EQ(used.aDisk, fresh.aDisk) << strPath;
            ASSERT_EQ(used.bTrailingSeparator, fresh.bTrailingSeparator) << strPath;
            ASSERT_EQ(used.strPattern, fresh.strPattern) << strPath;
        }
    }
}

// Resolving puts the names as they are on disk into the path; a later parse into the same object
// gives the names as written again, not the ones found.
TEST_F(PathForms, AParseAfterAResolveGivesTheNamesAsWritten) {
    using tessaly::win32::detail::ParseWindowsPath;
    using tessaly::win32::detail::ResolveOnDisk;
    using tessaly::win32::detail::WindowsPath;
    MakeFolder("Real");
    MakeFolder("Real/Sub");
    WindowsPath used;
    ASSERT_TRUE(ParseWindowsPath("P:\\real\\sub\\x", used));
    bool bExists = true;
    ASSERT_TRUE(ResolveOnDisk(used, true, bExists));
    EXPECT_FALSE(bExists);
    EXPECT_EQ(used.aDisk, (std::vector<std::string>{"Real", "Sub", "x"}));
    ASSERT_TRUE(ParseWindowsPath("P:\\real\\sub\\y", used));
    EXPECT_EQ(used.aDisk, (std::vector<std::string>{"real", "sub", "y"}));
    EXPECT_EQ(used.aAnsi, (std::vector<std::string>{"real", "sub", "y"}));

    // The same when the answer comes from what the layer knows of a folder it has just changed
    // (a name looked up there, and one that is not there).
    MakeFile("Real/Sub/a");
    ASSERT_TRUE(MoveFileA("P:\\real\\sub\\a", "P:\\real\\sub\\b"));
    for (const char* pcName : {"b", "missing"}) {
        ASSERT_TRUE(ParseWindowsPath(std::string("P:\\real\\sub\\") + pcName, used));
        ASSERT_TRUE(ResolveOnDisk(used, true, bExists, static_cast<std::size_t>(-1), nullptr,
                                  tessaly::win32::detail::Reuse::Known));
        EXPECT_EQ(used.aDisk, (std::vector<std::string>{"Real", "Sub", pcName}));
        ASSERT_TRUE(ParseWindowsPath("P:\\real\\sub\\y", used));
        EXPECT_EQ(used.aDisk, (std::vector<std::string>{"real", "sub", "y"})) << pcName;
    }

    // And when a folder's spelling is one the layer learnt for a folder it has just changed.
    MakeFile("Real/x");
    WIN32_FIND_DATAA data;
    FindClose(FindFirstFileA("P:\\Real", &data));
    ASSERT_TRUE(MoveFileA("P:\\Real\\x", "P:\\Real\\y"));
    FindClose(FindFirstFileA("P:\\Real\\sub", &data));
    ASSERT_TRUE(MoveFileA("P:\\Real\\y", "P:\\Real\\Sub\\y"));
    ASSERT_TRUE(ParseWindowsPath("P:\\Real\\sub\\z", used));
    ASSERT_TRUE(ResolveOnDisk(used, true, bExists, static_cast<std::size_t>(-1), nullptr,
                              tessaly::win32::detail::Reuse::Known));
    EXPECT_EQ(used.aDisk, (std::vector<std::string>{"Real", "Sub", "z"}));
    ASSERT_TRUE(ParseWindowsPath("P:\\Real\\sub\\w", used));
    EXPECT_EQ(used.aDisk, (std::vector<std::string>{"Real", "sub", "w"}));
}
