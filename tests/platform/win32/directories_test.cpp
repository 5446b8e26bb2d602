#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/win32/Win32.h"
#include "tests/common/Platform.h"
#include "tests/platform/win32/FileTestFolder.h"

using tessaly::win32::FailSysCall;
using tessaly::win32::SysCall;

class Directories : public FileTestFolder {};

TEST_F(Directories, MakeSureDirectoryPathExistsCreatesEveryFolderBeforeTheLastSeparator) {
    TESSALY_STAND_IN_ONLY("the layer's system calls made to fail");
    std::filesystem::create_directory(Posix("Music"));
    const std::string strTable = Ansi("表"); // ends in 0x5C in CP932, which is no separator here
    const struct {
        std::string strPath;
        const char* pszMade; // relative POSIX path that must now be a folder
        const char* pszNotMade;
    } rows[] = {
        {"T:\\a\\b\\c\\", "a/b/c", nullptr},
        {"T:\\x\\y\\file.mp3", "x/y", "x/y/file.mp3"},
        {"T:/f//g/", "f/g", nullptr},
        {"T:\\music\\Album\\", "Music/Album", "music"},
        {"T:\\" + strTable + "\\" + strTable + "\\", "表/表", nullptr},
        {"T:\\", "", nullptr},
        {"T:\\a\\..\\up\\", "up", nullptr},
    };
    int i = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "row " << i++);
        EXPECT_TRUE(MakeSureDirectoryPathExists(row.strPath.c_str()));
        EXPECT_TRUE(std::filesystem::is_directory(Posix(row.pszMade)));
        if (row.pszNotMade != nullptr) {
            EXPECT_FALSE(Exists(row.pszNotMade));
        }
        // Once all exist, nothing more is asked of the file system.
        FailSysCall(SysCall::Mkdir, EACCES);
        EXPECT_TRUE(MakeSureDirectoryPathExists(row.strPath.c_str()));
        tessaly::win32::ClearSysCallFailures();
    }
    EXPECT_EQ(Names(), (std::set<std::string>{"Music", "a", "f", "up", "x", "表"}));
}

TEST_F(Directories, MakeSureDirectoryPathExistsFailsWhenAFolderCannotBeMade) {
    TESSALY_STAND_IN_ONLY("the layer's system calls made to fail");
    WriteBytes(Posix("file.txt"), "in the way");
    EXPECT_FALSE(MakeSureDirectoryPathExists("T:\\file.txt\\sub\\"));
    EXPECT_NE(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_FALSE(MakeSureDirectoryPathExists("T:\\FILE.TXT\\"));
    EXPECT_EQ(ReadBytes(Posix("file.txt")), "in the way");

    FailSysCall(SysCall::Mkdir, EACCES, -1, 1); // the first folder is made, the second is not
    EXPECT_FALSE(MakeSureDirectoryPathExists("T:\\one\\two\\three\\"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_TRUE(Exists("one"));
    EXPECT_FALSE(Exists("one/two"));
    EXPECT_FALSE(MakeSureDirectoryPathExists("Q:\\unmapped\\"));
}

// The deepest folder that is there is sought first, but whatever stands on the way is answered as
// a walk from the top answers it: a folder of another case or behind a link is taken, a file or a
// broken link fails with the code for the first component that is no folder.
TEST_F(Directories, MakeSureDirectoryPathExistsAnswersWhateverStandsOnTheWay) {
    TESSALY_STAND_IN_ONLY("symbolic links, and the layer's system calls made to fail");
    std::filesystem::create_directories(Posix("a/b"));
    WriteBytes(Posix("a/file"), "in the way");
    std::filesystem::create_directory_symlink(Posix("a/b"), Posix("a/link"));
    std::filesystem::create_symlink("nowhere", Posix("a/broken"));
    const struct {
        const char* pszPath;
        bool bMade;
        DWORD dwError;      // when not made
        const char* pszNew; // relative POSIX path that must now be a folder
        int iMkdirs;        // mkdir calls it takes
    } rows[] = {
        {"T:\\a\\b\\", true, 0, "a/b", 0},
        {"T:\\A\\B\\c\\d\\", true, 0, "a/b/c/d", 2},
        {"T:\\a\\LINK\\e\\", true, 0, "a/b/e", 1},
        {"T:\\a\\file\\x\\y\\", false, ERROR_ALREADY_EXISTS, nullptr, 0},
        {"T:\\a\\broken\\x\\", false, ERROR_PATH_NOT_FOUND, nullptr, 1}, // mkdir finds it taken
    };
    int i = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "row " << i++);
        // Every mkdir past the ones the row needs fails: none is asked for twice or in vain.
        FailSysCall(SysCall::Mkdir, EACCES, -1, row.iMkdirs);
        SetLastError(ERROR_SUCCESS);
        EXPECT_EQ(MakeSureDirectoryPathExists(row.pszPath) != FALSE, row.bMade);
        tessaly::win32::ClearSysCallFailures();
        if (row.bMade) {
            EXPECT_TRUE(std::filesystem::is_directory(Posix(row.pszNew)));
        } else {
            EXPECT_EQ(GetLastError(), row.dwError);
        }
    }
    EXPECT_EQ(ReadBytes(Posix("a/file")), "in the way");
    EXPECT_EQ(Names(), (std::set<std::string>{"a"}));
}

TEST_F(Directories, CreateAndRemoveFoldersAsWindows) {
    std::filesystem::create_directory(Posix("Existing"));
    WriteBytes(Posix("Existing/f.txt"), "");
    const struct {
        BOOL (*pfnCall)(const char*);
        const char* pszPath;
        DWORD dwError; // ERROR_SUCCESS: the call succeeds
    } rows[] = {
        {[](const char* p) { return CreateDirectoryA(p, nullptr); }, "T:\\Existing",
         ERROR_ALREADY_EXISTS},
        {[](const char* p) { return CreateDirectoryA(p, nullptr); }, "T:\\EXISTING\\",
         ERROR_ALREADY_EXISTS},
        {[](const char* p) { return CreateDirectoryA(p, nullptr); }, "T:\\existing\\f.TXT",
         ERROR_ALREADY_EXISTS},
        {[](const char* p) { return CreateDirectoryA(p, nullptr); }, "T:\\no\\New",
         ERROR_PATH_NOT_FOUND},
        {[](const char* p) { return CreateDirectoryA(p, nullptr); }, "T:\\New\\", ERROR_SUCCESS},
        {RemoveDirectoryA, "T:\\existing", ERROR_DIR_NOT_EMPTY},
        {RemoveDirectoryA, "T:\\existing\\F.txt", ERROR_DIRECTORY},
        {DeleteFileA, "T:\\existing", ERROR_ACCESS_DENIED},
        {DeleteFileA, "T:\\existing\\F.txt", ERROR_SUCCESS},
        {DeleteFileA, "T:\\existing\\F.txt", ERROR_FILE_NOT_FOUND},
        {RemoveDirectoryA, "T:\\EXISTING", ERROR_SUCCESS},
        {RemoveDirectoryA, "T:\\EXISTING", ERROR_FILE_NOT_FOUND},
    };
    int i = 0;
    for (const auto& row : rows) {
        SetLastError(ERROR_SUCCESS);
        EXPECT_EQ(row.pfnCall(row.pszPath), row.dwError == ERROR_SUCCESS) << "row " << i;
        EXPECT_EQ(GetLastError(), row.dwError) << "row " << i;
        ++i;
    }
    EXPECT_EQ(Names(), std::set<std::string>{"New"});
}

TEST_F(Directories, GetFileAttributesTellsFoldersFromFiles) {
    TESSALY_NOT_UNDER_WINE("it cannot make symbolic links");
    std::filesystem::create_directory(Posix("dir"));
    std::filesystem::create_directory_symlink(Posix("dir"), Posix("dirlink"));
    WriteBytes(Posix("dir/file.bin"), "");
    EXPECT_EQ(GetFileAttributesA("T:\\DIR"), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_EQ(GetFileAttributesA("T:\\dirlink"), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_EQ(GetFileAttributesA("T:\\dir\\File.bin"), static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE));
    EXPECT_EQ(GetFileAttributesA("T:\\dir\\none"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}
