// A program written only against the Win32 header, as it would be on Windows: it lists a folder on
// a mapped drive, moves a file into a folder made by MakeSureDirectoryPathExists, converts
// Shift-JIS text both ways and reads the current directory. Exit code 0 when all behave.
#include <cstdio>
#include <cstring>

#include "platform/win32/Win32.h"

static int Fail(const char* pcWhat) {
    std::printf("FAILED: %s (GetLastError %u)\n", pcWhat, static_cast<unsigned>(GetLastError()));
    return 1;
}

int main() {
    char acBase[MAX_PATH];
    wsprintfA(acBase, "Q:\\run%u", static_cast<unsigned>(GetTickCount()));
    if (!CreateDirectoryA(acBase, nullptr)) {
        return Fail("CreateDirectoryA");
    }
    char acFile[MAX_PATH];
    wsprintfA(acFile, "%s\\song.mp3", acBase);
    HANDLE hFile =
        CreateFileA(acFile, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE) {
        return Fail("CreateFileA");
    }
    DWORD dwWritten = 0;
    if (!WriteFile(hFile, "abc", 3, &dwWritten, nullptr) || dwWritten != 3 || !CloseHandle(hFile)) {
        return Fail("WriteFile");
    }

    // "表\ソ" in Shift-JIS: both characters end in the byte 0x5C.
    char acFolder[MAX_PATH];
    wsprintfA(acFolder, "%s\\\x95\x5C\\\x83\x5C\\", acBase);
    if (!MakeSureDirectoryPathExists(acFolder)) {
        return Fail("MakeSureDirectoryPathExists");
    }
    char acTarget[MAX_PATH];
    wsprintfA(acTarget, "%ssong.mp3", acFolder);
    if (!MoveFileA(acFile, acTarget)) {
        return Fail("MoveFileA");
    }
    // A second song.mp3 may not replace the one moved.
    hFile =
        CreateFileA(acFile, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE || !CloseHandle(hFile)) {
        return Fail("CreateFileA again");
    }
    if (MoveFileA(acFile, acTarget) || GetLastError() != ERROR_ALREADY_EXISTS ||
        !DeleteFileA(acFile)) {
        return Fail("MoveFileA onto an existing file");
    }

    char acPattern[MAX_PATH];
    wsprintfA(acPattern, "%s\\*.*", acBase);
    WIN32_FIND_DATAA findData;
    HANDLE hFind = FindFirstFileA(acPattern, &findData);
    if (hFind == INVALID_HANDLE_VALUE) {
        return Fail("FindFirstFileA");
    }
    const char* apcExpected[] = {".", "..", "\x95\x5C"};
    int iCount = 0;
    do {
        if (iCount >= 3 || std::strcmp(findData.cFileName, apcExpected[iCount]) != 0) {
            return Fail("listing order");
        }
        ++iCount;
    } while (FindNextFileA(hFind, &findData));
    if (GetLastError() != ERROR_NO_MORE_FILES || iCount != 3 || !FindClose(hFind)) {
        return Fail("FindNextFileA");
    }

    const char* pcSJis = "\x95\x5C\x83\x5C";
    WCHAR awcWide[8];
    const int iWide = MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, pcSJis, -1, awcWide, 8);
    if (iWide != 3 || awcWide[0] != 0x8868 || awcWide[1] != 0x30BD) {
        return Fail("MultiByteToWideChar");
    }
    char acBack[8];
    if (WideCharToMultiByte(CP_ACP, 0, awcWide, -1, acBack, 8, nullptr, nullptr) != 5 ||
        std::strcmp(acBack, pcSJis) != 0) {
        return Fail("WideCharToMultiByte");
    }

    if (!SetCurrentDirectoryA(acFolder)) {
        return Fail("SetCurrentDirectoryA");
    }
    char acCurrent[MAX_PATH];
    char acExpected[MAX_PATH];
    wsprintfA(acExpected, "%s\\\x95\x5C\\\x83\x5C", acBase);
    if (GetCurrentDirectoryA(2, acCurrent) != std::strlen(acExpected) + 1 ||
        GetCurrentDirectoryA(MAX_PATH, acCurrent) != std::strlen(acExpected) ||
        std::strcmp(acCurrent, acExpected) != 0) {
        return Fail("GetCurrentDirectoryA");
    }

    // The current directory may not be removed, as on Windows: leave it first.
    if (!SetCurrentDirectoryA("Q:\\") || !DeleteFileA(acTarget) || !RemoveDirectoryA(acFolder)) {
        return Fail("clean-up of the file");
    }
    acFolder[std::strlen(acFolder) - 3] = '\0';
    if (!RemoveDirectoryA(acFolder) || !RemoveDirectoryA(acBase)) {
        return Fail("clean-up of the folders");
    }
    std::printf("ok\n");
    return 0;
}
