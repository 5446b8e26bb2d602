#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/FileCollector.h"
#include "engine/RunState.h"
#include "platform/win32/Win32.h"
#include "tests/common/Platform.h"
#include "tests/engine/ScanFixture.h"

using tessaly::test::CurrentDir;
using tessaly::test::FullPaths;
using tessaly::test::ScanTest;
namespace win32 = tessaly::win32;

TEST_F(ScanTest, WalkIsPreOrderWithEachFoldersFilesFirst) {
    MakeFiles({"tree/b.wav", "tree/a.wav", "tree/m/x.wav", "tree/z.wav", "tree/n/deep/y.wav",
               "tree/n/k.wav"});
    g_strPickRoot = Win().c_str();
    EXPECT_TRUE(m_collector.ScanFolder(Win("tree").c_str(), TRUE));
    EXPECT_EQ(FullPaths(m_collector),
              (std::vector<std::string>{Win("tree/a.wav"), Win("tree/b.wav"), Win("tree/z.wav"),
                                        Win("tree/m/x.wav"), Win("tree/n/k.wav"),
                                        Win("tree/n/deep/y.wav")}));
    const CFileEntry& entry = m_collector.GetAt(3);
    EXPECT_EQ(entry.m_strFolder, Win("tree/m").c_str());
    EXPECT_EQ(entry.m_strName, "x.wav");
    EXPECT_EQ(entry.m_ullSize, 4u);
    EXPECT_EQ(entry.m_strRoot, Win().c_str());
    EXPECT_EQ(entry.m_nId, CFileEntry::kNoId);
}

TEST_F(ScanTest, FolderOfOnlySubFoldersAddsWhatTheyHold) {
    MakeFiles({"only/s2/b.wav", "only/s1/a.wav"});
    MakeFolder("only/s3");
    EXPECT_TRUE(m_collector.AddPath(Win("only").c_str(), TRUE));
    EXPECT_EQ(FullPaths(m_collector),
              (std::vector<std::string>{Win("only/s1/a.wav"), Win("only/s2/b.wav")}));
}

TEST_F(ScanTest, SecondWalkAddsNothingAndKeepsIdentifiers) {
    MakeFiles({"tree/a.wav", "tree/s/b.wav"});
    ASSERT_TRUE(m_collector.ScanFolder(Win("tree").c_str(), TRUE));
    m_collector.AssignIds();
    EXPECT_FALSE(m_collector.ScanFolder(Win("tree").c_str(), TRUE));
    ASSERT_EQ(m_collector.GetCount(), 2u);
    EXPECT_EQ(m_collector.GetAt(0).m_nId, 1u);
    EXPECT_EQ(m_collector.GetAt(1).m_nId, 2u);
}

TEST_F(ScanTest, FilteredWalkFiltersFilesButNeverFolders) {
    MakeFiles({"tree/a.wav", "tree/a.mp3", "tree/notes.mp3/in.WAV", "tree/b.wave"});
    SetExtFilter("wav");
    EXPECT_FALSE(m_collector.ScanFolderFiltered(Win("tree").c_str(), TRUE));
    EXPECT_EQ(FullPaths(m_collector),
              (std::vector<std::string>{Win("tree/a.wav"), Win("tree/notes.mp3/in.WAV")}));

    CFileCollector regexCollector;
    regexCollector.m_bUseRegex = TRUE;
    regexCollector.m_bRegexOk = regexCollector.m_regex.SetPattern("a\\..*");
    EXPECT_FALSE(regexCollector.ScanFolderFiltered(Win("tree").c_str(), TRUE));
    EXPECT_EQ(FullPaths(regexCollector),
              (std::vector<std::string>{Win("tree/a.mp3"), Win("tree/a.wav")}));

    CFileCollector unsetCollector; // extension mode without an extension
    EXPECT_FALSE(unsetCollector.ScanFolderFiltered(Win("tree").c_str(), TRUE));
    EXPECT_EQ(unsetCollector.GetCount(), 0u);
}

TEST_F(ScanTest, FolderThatCannotBeEnteredIsSkippedAndTheWalkGoesOn) {
    TESSALY_STAND_IN_ONLY("the layer's system calls made to fail");
    MakeFiles({"tree/a/1.wav", "tree/b/2.wav", "tree/b/inner/3.wav", "tree/c/4.wav"});
    ASSERT_TRUE(SetCurrentDirectoryA(Win("tree").c_str()));
    win32::FailSysCall(win32::SysCall::Chdir, EACCES, -1, 0, "tree/b");
    EXPECT_FALSE(m_collector.ScanFolder(Win("tree").c_str(), TRUE));
    win32::ClearSysCallFailures();
    EXPECT_EQ(FullPaths(m_collector),
              (std::vector<std::string>{Win("tree/a/1.wav"), Win("tree/c/4.wav")}));
    EXPECT_EQ(CurrentDir(), Win("tree"));
    // The same folder picked directly.
    win32::FailSysCall(win32::SysCall::Chdir, EACCES, -1, 0, "tree/b");
    EXPECT_FALSE(m_collector.AddPath(Win("tree/b").c_str(), TRUE));
    win32::ClearSysCallFailures();
    EXPECT_EQ(m_collector.GetCount(), 2u);
}

TEST_F(ScanTest, AbortStopsEachListingAfterTwoEntriesAndRestoresTheDirectory) {
    TESSALY_STAND_IN_ONLY("a drive of its own");
    // At a drive root there are no "." and "..": the first two entries are taken before the flag
    // is first tested.
    MakeFiles({"a.wav", "b.wav", "c.wav", "d/x.wav"});
    MakeFolder("elsewhere");
    ASSERT_TRUE(SetCurrentDirectoryA(Win("elsewhere").c_str()));
    g_bAbort = TRUE;
    m_collector.ScanFolder(Win().c_str(), TRUE);
    EXPECT_EQ(FullPaths(m_collector), (std::vector<std::string>{"T:\\\\a.wav", "T:\\\\b.wav"}));
    EXPECT_EQ(CurrentDir(), Win("elsewhere"));

    // Below the root the listing stops right after "." and "..".
    m_collector.Clear();
    m_collector.ScanFolder(Win("d").c_str(), TRUE);
    EXPECT_EQ(m_collector.GetCount(), 0u);
    EXPECT_EQ(CurrentDir(), Win("elsewhere"));
}

TEST_F(ScanTest, FolderEndingInBackslashDoublesItInFullPaths) {
    MakeFiles({"tree/a.wav", "tree/s/b.wav"});
    EXPECT_TRUE(m_collector.ScanFolder((Win("tree") + "\\").c_str(), TRUE));
    EXPECT_EQ(FullPaths(m_collector),
              (std::vector<std::string>{Win("tree") + "\\\\a.wav", Win("tree") + "\\\\s\\b.wav"}));
    EXPECT_EQ(m_collector.GetAt(0).m_strFolder, (Win("tree") + "\\").c_str());
    // Unique by full path: the same files by the single-backslash path are new entries.
    EXPECT_TRUE(m_collector.ScanFolder(Win("tree").c_str(), TRUE));
    EXPECT_EQ(m_collector.GetCount(), 4u);
}

TEST_F(ScanTest, LinkToAnAncestorIsNotEnteredButOtherLinksAreFollowed) {
    TESSALY_STAND_IN_ONLY("symbolic links made by the test");
    MakeFiles({"tree/a.wav", "tree/sub/b.wav", "other/c.wav"});
    std::filesystem::create_directory_symlink("..", m_drive.PosixPath("tree/sub/up"));
    std::filesystem::create_directory_symlink("../../other", m_drive.PosixPath("tree/sub/side"));
    ASSERT_TRUE(SetCurrentDirectoryA(Win().c_str()));
    EXPECT_FALSE(m_collector.ScanFolder(Win("tree").c_str(), TRUE)); // the cycle was cut
    EXPECT_EQ(FullPaths(m_collector),
              (std::vector<std::string>{Win("tree/a.wav"), Win("tree/sub/b.wav"),
                                        Win("tree/sub/side/c.wav")}));
    EXPECT_EQ(CurrentDir(), Win());
}

TEST_F(ScanTest, AWalkGoesFromOneSubFolderToTheNextAndEndsWhereItStarted) {
    // Below a full path the walk enters each sub-folder by that path, without coming back up in
    // between; the directory it started in is current again at the end, also after a second pick.
    MakeFiles(
        {"tree/a/deep/1.wav", "tree/a/2.wav", "tree/b/3.wav", "tree/c/x/y/4.wav", "other/5.wav"});
    MakeFolder("elsewhere");
    ASSERT_TRUE(SetCurrentDirectoryA(Win("elsewhere").c_str()));
    EXPECT_TRUE(m_collector.AddPickedFolders(Win().c_str(),
                                             {Win("tree").c_str(), Win("other").c_str()}, FALSE));
    EXPECT_EQ(FullPaths(m_collector),
              (std::vector<std::string>{Win("tree/a/2.wav"), Win("tree/a/deep/1.wav"),
                                        Win("tree/b/3.wav"), Win("tree/c/x/y/4.wav"),
                                        Win("other/5.wav")}));
    EXPECT_EQ(CurrentDir(), Win("elsewhere"));
}
