// A temporary drive for the scanner tests, with the current directory and the run flags put back
// afterwards. Header-only.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/FileCollector.h"
#include "engine/RunState.h"
#include "platform/win32/Win32.h"
#include "support/AnsiText.h"
#include "tests/common/TempDrive.h"

namespace tessaly::test {

// The Windows current directory, read whole.
inline std::string CurrentDir() {
    char acBuff[5000] = {};
    const DWORD dwLen = GetCurrentDirectoryA(sizeof(acBuff), acBuff);
    return std::string(acBuff, dwLen < sizeof(acBuff) ? dwLen : 0);
}

// The full paths of the store, in store order.
inline std::vector<std::string> FullPaths(const CFileList& list) {
    std::vector<std::string> vecPaths;
    for (DWORD i = 0; i < list.GetCount(); ++i) {
        vecPaths.emplace_back(list.GetAt(i).m_strFullPath.GetString());
    }
    return vecPaths;
}

class ScanTest : public ::testing::Test {
protected:
    ScanTest() : m_strSavedDir(CurrentDir()) { ResetRunState(); }
    ~ScanTest() override {
        ResetRunState();
        SetCurrentDirectoryA(m_strSavedDir.c_str());
    }

    // Files (UTF-8 relative paths) with their byte counts as content.
    void MakeFiles(const std::vector<std::string>& vecFiles) {
        for (const std::string& strFile : vecFiles) {
            m_drive.WriteBytes(strFile, "data");
        }
    }
    void MakeFolder(const std::string& strUtf8Relative) {
        std::filesystem::create_directories(m_drive.PosixPath(strUtf8Relative));
    }
    // The CP932 Windows path of a UTF-8 path below the drive's root.
    std::string Win(const std::string& strUtf8Relative = {}) const {
        return m_drive.WinPath(strUtf8Relative);
    }
    void SetExtFilter(const char* pcUtf8Ext) {
        m_collector.m_bUseRegex = FALSE;
        m_collector.m_strExtFilter = AnsiFromUtf8(pcUtf8Ext);
        m_collector.m_bExtFilter = TRUE;
    }
    void SetRegexFilter(const char* pcUtf8Pattern) {
        m_collector.m_bUseRegex = TRUE;
        m_collector.m_bRegexOk = m_collector.m_regex.SetPattern(AnsiFromUtf8(pcUtf8Pattern));
    }

    TempDrive m_drive;
    CFileCollector m_collector;

private:
    std::string m_strSavedDir;
};

} // namespace tessaly::test
