#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "PathTestFolder.h"
#include "platform/win32/Win32Errors.h"
#include "platform/win32/Win32Files.h"
#include "platform/win32/posix/CaseIndex.h"
#include "platform/win32/posix/PathResolve.h"

using tessaly::win32::detail::GetCaseIndexStats;
using tessaly::win32::detail::NoteEntryAdded;
using tessaly::win32::detail::NoteEntryRemoved;

class CaseInsensitiveLookup : public PathTestFolder {
protected:
    // The POSIX path ResolvePath gives, or "" when it fails.
    static std::string Resolve(const std::string& strAnsiPath) {
        std::string strPosix;
        return tessaly::win32::detail::ResolvePath(strAnsiPath, strPosix) ? strPosix : "";
    }
};

TEST_F(CaseInsensitiveLookup, FindsEachComponentWithTheExactNameFirst) {
    MakeFolder("Sub");
    MakeFile("Sub/File.txt");
    MakeFile("Sub/abc");
    MakeFile("Sub/ABC");
    MakeFile("Sub/aBc");
    MakeFile("plain");
    MakeFile("Sub/Aé");
    MakeFile("Sub/ae\u0301");
    MakeFile("Sub/ガ.txt");
    const struct {
        std::string strPath;
        std::string strExpected;
    } rows[] = {
        {"P:\\sub\\FILE.TXT", "Sub/File.txt"},
        // Normalisation is ignored as case is: the exact form first, then the first listed
        // ("AE" + U+0301 upper-cased lists before "AÉ", though "Aé" has the smaller bytes).
        {Ansi("P:\\SUB\\ae\u0301"), "Sub/ae\u0301"},
        {Ansi("P:\\SUB\\Aé"), "Sub/Aé"},
        {Ansi("P:\\SUB\\AÉ"), "Sub/ae\u0301"},
        {Ansi("P:\\sub\\\u30AB\u3099.TXT"), "Sub/ガ.txt"},
        {"P:\\Sub\\File.txt", "Sub/File.txt"},
        {"P:\\SUB\\abc", "Sub/abc"},
        {"P:\\SUB\\aBc", "Sub/aBc"},
        {"P:\\SUB\\Abc", "Sub/ABC"}, // no exact one: the first in listing order
        {"P:\\SUB\\new.txt", "Sub/new.txt"},
        {"P:\\sub\\..\\PLAIN", "plain"},
        {"P:\\", ""},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        EXPECT_EQ(Resolve(rows[i].strPath), Posix(rows[i].strExpected)) << "row " << i;
    }
    SetLastError(0);
    EXPECT_EQ(Resolve("P:\\missing\\x"), "");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(Resolve("P:\\PLAIN\\x"), "");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

TEST_F(CaseInsensitiveLookup, UpperCasesAsNtfsDoes) {
    const struct {
        const char* pszOnDisk;
        const char* pszAsked;
        bool bFound;
    } rows[] = {
        {"ｆｕｌｌ.txt", "ＦＵＬＬ.TXT", true},
        {"αβγς", "ΑΒΓΣ", true},
        {"привет", "ПРИВЕТ", true},
        {"ёж", "ЁЖ", true},
        {"café", "CAFÉ", true},
        {"straße", "STRASSE", false},
        {"日本", "日本", true},
        {"ア", "ｱ", false},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        MakeFile(rows[i].pszOnDisk);
        const std::string strAsked = Posix(rows[i].pszAsked);
        const std::string strResolved = Resolve(Ansi(std::string("P:\\") + rows[i].pszAsked));
        EXPECT_EQ(strResolved, rows[i].bFound ? Posix(rows[i].pszOnDisk) : strAsked) << "row " << i;
    }
}

TEST_F(CaseInsensitiveLookup, SeesChangesOthersMakeOnceTheFolderTimeChanges) {
    MakeFolder("f");
    SetMtime("f", 1'000'000'000);
    EXPECT_EQ(Resolve("P:\\f\\NEWFILE"), Posix("f/NEWFILE")); // builds the index: nothing there
    MakeFile("f/newfile");
    SetMtime("f", 1'000'000'100);
    EXPECT_EQ(Resolve("P:\\f\\NEWFILE"), Posix("f/newfile"));
    ASSERT_EQ(::unlink(Posix("f/newfile").c_str()), 0);
    SetMtime("f", 1'000'000'200);
    EXPECT_EQ(Resolve("P:\\f\\NEWFILE"), Posix("f/NEWFILE"));
}

TEST_F(CaseInsensitiveLookup, TheLayersOwnChangesNeedNoNewIndex) {
    MakeFolder("f");
    MakeFile("f/old");
    SetMtime("f", 1'000'000'000);
    EXPECT_EQ(Resolve("P:\\f\\OLD"), Posix("f/old"));
    const std::size_t nBuilds = GetCaseIndexStats().nBuilds;
    MakeFile("f/Added");
    NoteEntryAdded(Posix("f/Added"));
    EXPECT_EQ(Resolve("P:\\f\\ADDED"), Posix("f/Added"));
    ASSERT_EQ(::unlink(Posix("f/old").c_str()), 0);
    NoteEntryRemoved(Posix("f/old"));
    EXPECT_EQ(Resolve("P:\\f\\OLD"), Posix("f/OLD"));
    EXPECT_EQ(GetCaseIndexStats().nBuilds, nBuilds);
}

TEST_F(CaseInsensitiveLookup, NamesTheLayerAddsAndRemovesAreFoundWithoutANewIndex) {
    MakeFolder("f");
    for (int i = 0; i < 10; ++i) {
        MakeFile("f/Read" + std::to_string(i));
    }
    SetMtime("f", 1'000'000'000); // not read again for a change too recent to tell
    EXPECT_EQ(Resolve("P:\\f\\NONE"), Posix("f/NONE")); // reads the index
    const std::size_t nBuilds = GetCaseIndexStats().nBuilds;
    const auto change = [&](const std::string& strName, bool bAdd) {
        const std::string strPath = "f/" + strName;
        if (bAdd) {
            MakeFile(strPath);
            NoteEntryAdded(Posix(strPath));
        } else {
            ASSERT_EQ(::unlink(Posix(strPath).c_str()), 0);
            NoteEntryRemoved(Posix(strPath));
        }
    };
    // Names read, removed, and one of them back again.
    for (int i = 0; i < 5; ++i) {
        change("Read" + std::to_string(i), false);
    }
    change("Read0", true);
    // Names that come and go beside some that stay, long enough that their bytes would pile up
    // if kept.
    const std::string strLong(60, 'x');
    change("First" + strLong, true);
    for (int i = 0; i < 4; ++i) {
        change("Kept" + strLong + std::to_string(i), true);
    }
    change("First" + strLong, false);
    for (int i = 0; i < 300; ++i) {
        change("Gone" + strLong + std::to_string(i), true);
        change("Gone" + strLong + std::to_string(i), false);
    }
    // More names than a short list holds; every third goes again.
    for (int i = 0; i < 40; ++i) {
        change("Name" + std::to_string(i), true);
    }
    for (int i = 0; i < 40; i += 3) {
        change("Name" + std::to_string(i), false);
    }
    for (int i = 0; i < 40; ++i) {
        const std::string strAsked = "NAME" + std::to_string(i);
        const bool bThere = i % 3 != 0;
        EXPECT_EQ(Resolve("P:\\f\\" + strAsked),
                  Posix("f/" + (bThere ? "Name" + std::to_string(i) : strAsked)))
            << "name " << i;
    }
    for (int i = 0; i < 10; ++i) {
        const std::string strAsked = "READ" + std::to_string(i);
        EXPECT_EQ(Resolve("P:\\f\\" + strAsked),
                  Posix("f/" + (i == 0 || i >= 5 ? "Read" + std::to_string(i) : strAsked)))
            << "read name " << i;
    }
    for (const char* pszNumber : {"0", "299"}) {
        const std::string strGone = "GONE" + strLong + pszNumber;
        EXPECT_EQ(Resolve("P:\\f\\" + strGone), Posix("f/" + strGone));
    }
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(Resolve("P:\\f\\KEPT" + strLong + std::to_string(i)),
                  Posix("f/Kept" + strLong + std::to_string(i)));
    }
    EXPECT_EQ(GetCaseIndexStats().nBuilds, nBuilds);
}

TEST_F(CaseInsensitiveLookup, AFlatFolderIsReadOnceForAllItsNames) {
    MakeFolder("flat");
    constexpr int kFiles = 1000;
    for (int i = 0; i < kFiles; ++i) {
        MakeFile("flat/track" + std::to_string(i) + ".mp3");
    }
    const std::size_t nBuilds = GetCaseIndexStats().nBuilds;
    for (int i = 0; i < kFiles; ++i) {
        const std::string strName = "TRACK" + std::to_string(i) + ".MP3";
        ASSERT_EQ(Resolve("P:\\FLAT\\" + strName),
                  Posix("flat/track" + std::to_string(i) + ".mp3"));
    }
    EXPECT_EQ(GetCaseIndexStats().nBuilds - nBuilds, 2u); // the drive's root and the folder
}

TEST_F(CaseInsensitiveLookup, AFolderReadAheadIsReadAgainOnlyOnceSomeoneChangesIt) {
    MakeFolder("flat");
    MakeFile("flat/Track.mp3");
    SetMtime("flat", 1'000'000'000);
    tessaly::win32::ReadFolderNamesAhead("P:\\FLAT");
    const std::size_t nBuilds = GetCaseIndexStats().nBuilds;
    tessaly::win32::ReadFolderNamesAhead("P:\\flat"); // held and unchanged
    EXPECT_EQ(Resolve("P:\\flat\\TRACK.MP3"), Posix("flat/Track.mp3"));
    EXPECT_EQ(GetCaseIndexStats().nBuilds, nBuilds);
    MakeFile("flat/Other.mp3");
    SetMtime("flat", 1'000'000'100);
    tessaly::win32::ReadFolderNamesAhead("P:\\flat");
    EXPECT_EQ(GetCaseIndexStats().nBuilds, nBuilds + 1);
    EXPECT_EQ(Resolve("P:\\flat\\OTHER.MP3"), Posix("flat/Other.mp3"));
    EXPECT_EQ(GetCaseIndexStats().nBuilds, nBuilds + 1);
    tessaly::win32::ReadFolderNamesAhead("P:\\missing"); // left to the lookups
    tessaly::win32::ReadFolderNamesAhead(nullptr);
}

TEST_F(CaseInsensitiveLookup, ThreadsLookUpWhileTheLayerChangesFolders) {
    for (const char* pszFolder : {"a", "b"}) {
        MakeFolder(pszFolder);
        for (int i = 0; i < 200; ++i) {
            MakeFile(std::string(pszFolder) + "/n" + std::to_string(i));
        }
    }
    std::atomic<int> nWrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            const std::string strFolder = t % 2 == 0 ? "a" : "b";
            for (int i = 0; i < 200; ++i) {
                const std::string strAsked = "P:\\" + strFolder + "\\N" + std::to_string(i);
                if (Resolve(strAsked) != Posix(strFolder + "/n" + std::to_string(i))) {
                    ++nWrong;
                }
            }
        });
    }
    threads.emplace_back([&] {
        for (int i = 0; i < 200; ++i) {
            const std::string strName = "a/extra" + std::to_string(i);
            MakeFile(strName);
            NoteEntryAdded(Posix(strName));
        }
    });
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(nWrong.load(), 0);
    EXPECT_EQ(Resolve("P:\\A\\EXTRA199"), Posix("a/extra199"));
}

TEST_F(CaseInsensitiveLookup, KeepsABoundedNumberOfFolders) {
    for (int i = 0; i < 300; ++i) {
        const std::string strFolder = "d" + std::to_string(i);
        MakeFolder(strFolder);
        MakeFile(strFolder + "/x");
        ASSERT_EQ(Resolve("P:\\" + strFolder + "\\X"), Posix(strFolder + "/x"));
    }
    EXPECT_LE(GetCaseIndexStats().nFolders, 256u);
    EXPECT_EQ(Resolve("P:\\d0\\X"), Posix("d0/x"));
}

TEST_F(CaseInsensitiveLookup, AFolderTheLayerKeepsChangingKeepsItsIndexAmongManyOthers) {
    // A run moving out of its flat folder makes a folder every few files: the flat folder's index,
    // kept in step all along, is not the one dropped to make room for theirs.
    for (const bool bTakeTime : {true, false}) {
        SCOPED_TRACE(bTakeTime ? "changes noted with the folder's time" : "changes trusted");
        tessaly::win32::detail::ClearCaseIndexes();
        const std::string strFlat = bTakeTime ? "flat1" : "flat2";
        MakeFolder(strFlat);
        MakeFile(strFlat + "/a");
        ASSERT_EQ(Resolve("P:\\" + strFlat + "\\A"), Posix(strFlat + "/a"));
        for (int i = 0; i < 300; ++i) {
            const std::string strFolder = strFlat + "d" + std::to_string(i);
            MakeFolder(strFolder);
            MakeFile(strFolder + "/x");
            ASSERT_EQ(Resolve("P:\\" + strFolder + "\\X"), Posix(strFolder + "/x"));
            const std::string strAdded = strFlat + "/n" + std::to_string(i);
            MakeFile(strAdded);
            NoteEntryAdded(Posix(strAdded), bTakeTime);
        }
        // Its 301 names are still held, beside one each of the other folders held.
        EXPECT_GT(GetCaseIndexStats().nNames, 300u);
    }
}
