#include "support/StartUp.h"

#include <optional>
#include <string>
#include <string_view>

#include "platform/win32/NameCodec.h"
#include "platform/win32/Win32.h"
#include "support/PathHelpers.h"
#include "support/TraceLog.h"

CString g_strExeFolder;
CString g_strReportFolder;

namespace {

constexpr const char* kTraceName = "\\TraceFile.txt";

// Whether every byte sequence of the text is well-formed UTF-8: a variable in another encoding
// would name another folder.
bool IsUtf8(std::string_view str) {
    for (std::size_t i = 0; i < str.size();) {
        const auto b = static_cast<unsigned char>(str[i]);
        const std::size_t uLen = b < 0x80                 ? 1
                                 : b >= 0xC2 && b <= 0xDF ? 2
                                 : b >= 0xE0 && b <= 0xEF ? 3
                                 : b >= 0xF0 && b <= 0xF4 ? 4
                                                          : 0;
        if (uLen == 0 || i + uLen > str.size()) {
            return false;
        }
        for (std::size_t k = 1; k < uLen; ++k) {
            if ((static_cast<unsigned char>(str[i + k]) & 0xC0) != 0x80) {
                return false;
            }
        }
        i += uLen;
    }
    return true;
}

// A drive path ("C:\..." or "C:/...") or a network one ("\\server\...").
bool IsAbsoluteDrivePath(std::string_view str) {
    return (str.size() >= 3 && str[1] == ':' && (str[2] == '\\' || str[2] == '/')) ||
           str.starts_with("\\\\");
}

// The variable's value when it is set, UTF-8 and absolute in the form asked for. Read through
// the layer, so that on Windows a user name outside the ANSI code page arrives whole.
std::string Variable(const char* pcName, bool bDrivePath) {
    const DWORD dwNeeded = GetEnvironmentVariableA(pcName, nullptr, 0);
    if (dwNeeded == 0) {
        return std::string();
    }
    std::string strAnsi(dwNeeded, '\0');
    strAnsi.resize(GetEnvironmentVariableA(pcName, strAnsi.data(), dwNeeded));
    const std::string strValue = tessaly::win32::AnsiToUtf8(strAnsi);
    if (!IsUtf8(strValue)) {
        return std::string();
    }
    const bool bAbsolute = bDrivePath ? IsAbsoluteDrivePath(strValue) : strValue.starts_with('/');
    return bAbsolute ? strValue : std::string();
}

// Points the log at strFolder's TraceFile.txt and empties it: whether that worked.
bool UseReportFolder(const CString& strFolder) {
    g_strReportFolder = strFolder;
    SetTracePath(strFolder + kTraceName);
    return EmptyTraceLog() != FALSE;
}

} // namespace

std::vector<CString> GetUserStateFolders() {
    const struct {
        const char* pcVariable;
        bool bDrivePath;
        const char* pcBelow;
    } aPlaces[] = {
        {"LOCALAPPDATA", true, "\\Tessaly"},
        {"XDG_STATE_HOME", false, "/tessaly"},
        {"HOME", false, "/.local/state/tessaly"},
    };
    std::vector<CString> vecFolders;
    for (const auto& place : aPlaces) {
        const std::string strBase = Variable(place.pcVariable, place.bDrivePath);
        const auto path =
            strBase.empty() ? std::nullopt : tessaly::win32::ToWindowsPath(strBase + place.pcBelow);
        if (path && !path->empty()) {
            vecFolders.emplace_back(path->c_str(), static_cast<int>(path->size()));
        }
    }
    return vecFolders;
}

void InitProgramFolders() {
    GetModuleFolder(&g_strExeFolder);
    if (UseReportFolder(g_strExeFolder)) {
        return;
    }
    // An installed copy: its folder belongs to the system, the reports to the user.
    for (const CString& strFolder : GetUserStateFolders()) {
        if (MakeSureDirectoryPathExists(strFolder + "\\") && UseReportFolder(strFolder)) {
            return;
        }
    }
    g_strReportFolder = g_strExeFolder;
    SetTracePath(g_strExeFolder + kTraceName);
}

void LocateProgramFolders() {
    GetModuleFolder(&g_strExeFolder);
    g_strReportFolder = g_strExeFolder;
    if (IsExistFile(g_strExeFolder + kTraceName, FALSE, FALSE)) {
        return;
    }
    for (const CString& strFolder : GetUserStateFolders()) {
        if (IsExistFile(strFolder + kTraceName, FALSE, FALSE)) {
            g_strReportFolder = strFolder;
            return;
        }
    }
}

BOOL AreReportsElsewhere() {
    return !g_strReportFolder.IsEmpty() && g_strReportFolder != g_strExeFolder ? TRUE : FALSE;
}
