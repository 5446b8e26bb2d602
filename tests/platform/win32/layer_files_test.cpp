// The file contracts the program relies on, through the A functions, on a real folder: the same
// assertions hold for the POSIX stand-in and for Windows' own API (under Wine in CI).
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "platform/win32/Win32.h"
#include "tests/common/TempDrive.h"

namespace {

using tessaly::test::TempDrive;

std::string Ansi(const std::string& strUtf8) {
    std::string strAnsi;
    tessaly::win32::Utf8ToAnsi(strUtf8, strAnsi);
    return strAnsi;
}

// The names a wildcard search lists, as UTF-8, without "." and "..".
std::set<std::string> Listed(const std::string& strPattern) {
    std::set<std::string> names;
    WIN32_FIND_DATAA data;
    const HANDLE hFind = FindFirstFileA(strPattern.c_str(), &data);
    if (hFind == INVALID_HANDLE_VALUE) {
        return names;
    }
    do {
        const std::string strName = data.cFileName;
        if (strName != "." && strName != "..") {
            names.insert(tessaly::win32::AnsiToUtf8(strName));
        }
    } while (FindNextFileA(hFind, &data));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
    EXPECT_TRUE(FindClose(hFind));
    return names;
}

// Names outside CP932 (Hangul, an accent, an emoji, U+301C), and CP932 names whose second byte is
// 0x5C: each is listed, found, opened and moved under its own name.
TEST(LayerFiles, NamesOutsideTheCodePageAreListedFoundAndMovedWhole) {
    const TempDrive drive;
    const std::vector<std::string> names = {"한국.wav", "café.wav", "😀.wav",
                                            "〜.wav",   "表ソ.wav", "plain.wav"};
    for (const std::string& strName : names) {
        drive.WriteBytes("in/" + strName, strName);
    }
    ASSERT_TRUE(CreateDirectoryA(drive.WinPath("out").c_str(), nullptr));
    EXPECT_EQ(Listed(drive.WinPath("in") + "\\*.wav"),
              std::set<std::string>(names.begin(), names.end()));
    for (const std::string& strName : names) {
        const std::string strFrom = drive.WinPath("in/" + strName);
        EXPECT_NE(GetFileAttributesA(strFrom.c_str()), INVALID_FILE_ATTRIBUTES) << strName;
        ASSERT_TRUE(MoveFileA(strFrom.c_str(), drive.WinPath("out/" + strName).c_str()))
            << strName << " " << GetLastError();
        EXPECT_EQ(drive.ReadBytes("out/" + strName), strName);
    }
    EXPECT_TRUE(Listed(drive.WinPath("in") + "\\*").empty());
}

// Never replaced: a move onto an existing file fails and both files keep their bytes.
TEST(LayerFiles, MoveNeverReplaces) {
    const TempDrive drive;
    drive.WriteBytes("a.mp3", "source");
    drive.WriteBytes("sub/a.mp3", "there before");
    EXPECT_FALSE(MoveFileA(drive.WinPath("a.mp3").c_str(), drive.WinPath("sub/a.mp3").c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(drive.ReadBytes("a.mp3"), "source");
    EXPECT_EQ(drive.ReadBytes("sub/a.mp3"), "there before");
    EXPECT_FALSE(MoveFileA(drive.WinPath("missing.mp3").c_str(), drive.WinPath("b.mp3").c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(MoveFileA(drive.WinPath("a.mp3").c_str(), drive.WinPath("no/b.mp3").c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

// Lookups ignore case and report the name as it is on disk; a created name keeps its case.
TEST(LayerFiles, LookupIgnoresCaseAndReportsTheDiskName) {
    const TempDrive drive;
    drive.WriteBytes("Folder/Track.WAV", "x");
    WIN32_FIND_DATAA data;
    const HANDLE hFind = FindFirstFileA(drive.WinPath("folder/track.wav").c_str(), &data);
    ASSERT_NE(hFind, INVALID_HANDLE_VALUE);
    EXPECT_STREQ(data.cFileName, "Track.WAV");
    EXPECT_EQ(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_EQ(data.nFileSizeLow, 1u);
    EXPECT_FALSE(FindNextFileA(hFind, &data));
    EXPECT_TRUE(FindClose(hFind));
    EXPECT_FALSE(CreateDirectoryA(drive.WinPath("FOLDER").c_str(), nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(FindFirstFileA(drive.WinPath("Folder/none*.wav").c_str(), &data),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(FindFirstFileA(drive.WinPath("none/*.wav").c_str(), &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

// Names that differ only in Unicode normalisation are one name to every lookup, on Windows too,
// whose file systems tell them apart: a name spelled decomposed (as a Mac writes it) finds,
// opens, enters and moves the composed one on disk and never makes it twice; a name the layer
// creates keeps the form it was given.
TEST(LayerFiles, NamesThatDifferOnlyInNormalisationAreOneName) {
    const TempDrive drive;
    drive.WriteBytes("ガ/café.mp3", "composed");
    drive.WriteBytes("other.mp3", "other");
    const std::string strFolder = "\u30AB\u3099";              // ガ decomposed
    const std::string strFile = strFolder + "/cafe\u0301.mp3"; // café decomposed
    WIN32_FIND_DATAA data;
    const HANDLE hFind = FindFirstFileA(drive.WinPath(strFile).c_str(), &data);
    ASSERT_NE(hFind, INVALID_HANDLE_VALUE) << GetLastError();
    EXPECT_EQ(tessaly::win32::AnsiToUtf8(data.cFileName), "café.mp3");
    EXPECT_TRUE(FindClose(hFind));
    EXPECT_EQ(Listed(drive.WinPath(strFolder) + "\\*.mp3"), std::set<std::string>{"café.mp3"});
    EXPECT_NE(GetFileAttributesA(drive.WinPath(strFile).c_str()), INVALID_FILE_ATTRIBUTES);
    HANDLE hFile = CreateFileA(drive.WinPath(strFile).c_str(), GENERIC_READ, FILE_SHARE_READ,
                               nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(hFile, INVALID_HANDLE_VALUE) << GetLastError();
    EXPECT_TRUE(CloseHandle(hFile));
    hFile = CreateFileA(drive.WinPath(strFile).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_EQ(hFile, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
    EXPECT_FALSE(CreateDirectoryA(drive.WinPath(strFolder).c_str(), nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    ASSERT_TRUE(MakeSureDirectoryPathExists(drive.WinPath(strFolder + "/sub/").c_str()));
    ASSERT_TRUE(SetCurrentDirectoryA(drive.WinPath(strFolder + "/sub").c_str()));
    ASSERT_TRUE(SetCurrentDirectoryA(drive.WinPath().c_str()));
    // Moved out of and into folders spelled decomposed; the new name keeps its own form.
    const std::string strZe = "\u30BB\u3099.mp3"; // ゼ decomposed
    ASSERT_TRUE(MoveFileA(drive.WinPath(strFile).c_str(),
                          drive.WinPath(strFolder + "/sub/" + strZe).c_str()))
        << GetLastError();
    EXPECT_EQ(drive.ReadBytes("ガ/sub/" + strZe), "composed");
    EXPECT_EQ(Listed(drive.WinPath("*")), (std::set<std::string>{"other.mp3", "ガ"}));
    // The composed spelling of a file there is that file: never replaced, removed through it.
    EXPECT_FALSE(
        MoveFileA(drive.WinPath("other.mp3").c_str(), drive.WinPath("ガ/sub/ゼ.mp3").c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(drive.ReadBytes("other.mp3"), "other");
    EXPECT_TRUE(DeleteFileA(drive.WinPath("ガ/sub/ゼ.mp3").c_str())) << GetLastError();
    EXPECT_TRUE(Listed(drive.WinPath("ガ/sub") + "\\*").empty());
}

// A path ending in a separator names the folder, so the program's folder checks pass.
TEST(LayerFiles, PathEndingInSeparatorNamesTheFolder) {
    const TempDrive drive;
    drive.WriteBytes("dir/f", "x");
    WIN32_FIND_DATAA data;
    const HANDLE hFind = FindFirstFileA((drive.WinPath("dir") + "\\").c_str(), &data);
    ASSERT_NE(hFind, INVALID_HANDLE_VALUE);
    EXPECT_NE(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
    FindClose(hFind);
}

// Folders made on the way, a file in the way refused; a path beyond MAX_PATH works throughout.
TEST(LayerFiles, FoldersOnTheWayAndLongPaths) {
    const TempDrive drive;
    std::string strDeep = "d";
    while (drive.WinPath(strDeep).size() < 300) {
        strDeep += "/folder-with-a-long-name-" + std::to_string(strDeep.size());
    }
    const std::string strFile = drive.WinPath(strDeep + "/ソ.mp3");
    ASSERT_TRUE(MakeSureDirectoryPathExists(strFile.c_str())) << GetLastError();
    const HANDLE hFile = CreateFileA(strFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(hFile, INVALID_HANDLE_VALUE) << GetLastError();
    DWORD dwWritten = 0;
    EXPECT_TRUE(WriteFile(hFile, "abc", 3, &dwWritten, nullptr));
    EXPECT_EQ(dwWritten, 3u);
    EXPECT_TRUE(CloseHandle(hFile));
    EXPECT_EQ(CreateFileA(strFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                          FILE_ATTRIBUTE_NORMAL, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
    EXPECT_EQ(drive.ReadBytes(strDeep + "/ソ.mp3"), "abc");

    // Folders whose names end in a trail byte 0x5C are made too.
    ASSERT_TRUE(MakeSureDirectoryPathExists(drive.WinPath("表/ソ/x.mp3").c_str()))
        << GetLastError();
    EXPECT_NE(GetFileAttributesA(drive.WinPath("表/ソ").c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);

    drive.WriteBytes("blocked", "a file");
    EXPECT_FALSE(MakeSureDirectoryPathExists(drive.WinPath("blocked/x/y.mp3").c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
}

// The executable's path is cut, never inside a double-byte character, when the buffer is short.
TEST(LayerFiles, ModuleFileNameInAShortBuffer) {
    const TempDrive drive;
    char acFull[1024];
    const DWORD dwFull = GetModuleFileNameA(nullptr, acFull, sizeof acFull);
    ASSERT_GT(dwFull, 3u);
    EXPECT_EQ(std::string(acFull, dwFull), drive.WinPath(TempDrive::kExeName));
    char acShort[4];
    EXPECT_EQ(GetModuleFileNameA(nullptr, acShort, sizeof acShort), 4u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(std::string(acShort), std::string(acFull, 3));
    (void)Ansi;
}

} // namespace
