// A TempDrive with the program's start-up folders set in it: g_strExeFolder is the drive's root,
// g_strTracePath its TraceFile.txt, the log empty. Restores both globals afterwards. Header-only;
// for tests that link the support library.
#pragma once

#include <string>

#include "support/StartUp.h"
#include "support/TraceLog.h"
#include "tests/common/TempDrive.h"

namespace tessaly::test {

class ProgramFolders : public TempDrive {
public:
    explicit ProgramFolders(char cLetter = 'T')
        : TempDrive(cLetter), m_strSavedExeFolder(g_strExeFolder),
          m_strSavedTracePath(g_strTracePath) {
        InitProgramFolders();
    }
    ~ProgramFolders() {
        g_strExeFolder = m_strSavedExeFolder;
        SetTracePath(m_strSavedTracePath);
    }

    // The log's bytes as they are on disk (CP932, CR LF and LF as written).
    std::string TraceBytes() const { return ReadBytes("TraceFile.txt"); }

private:
    CString m_strSavedExeFolder;
    CString m_strSavedTracePath;
};

} // namespace tessaly::test
