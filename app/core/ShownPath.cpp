#include "app/core/ShownPath.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string_view>

#include "platform/win32/Win32.h"
#include "support/SJisConv.h"

std::string ToUtf8(LPCSTR pcAnsi) {
    return tessaly::win32::AnsiToUtf8(pcAnsi ? pcAnsi : "");
}

std::string ShowPath(LPCSTR pcAnsiPath) {
    if (auto posix = tessaly::win32::WindowsToPosixPath(pcAnsiPath ? pcAnsiPath : "")) {
        return std::move(*posix);
    }
    return ToUtf8(pcAnsiPath);
}

namespace {

// Lines name a few folders over and over: their POSIX forms are kept, per thread.
struct CShownFolder {
    std::string m_strAnsi;
    std::optional<std::string> m_strPosix; // none when the cut is not at a separator
};
thread_local std::array<CShownFolder, 4> t_aShownFolders;
thread_local std::size_t t_uNextShownFolder = 0;

} // namespace

void ForgetShownFolders() {
    t_aShownFolders = {};
    t_uNextShownFolder = 0;
}

std::string ShowPathEndingIn(const CString& strPath, const CString& strName) {
    const std::string_view strFull(strPath, static_cast<std::size_t>(strPath.GetLength()));
    const std::string_view strLast(strName, static_cast<std::size_t>(strName.GetLength()));
    // Only a name that is one plain component joins as it parses; anything else takes the long way.
    bool bPlain = !strLast.empty() && strLast != "." && strLast != "..";
    for (std::size_t i = 0; bPlain && i < strLast.size(); ++i) {
        const auto by = static_cast<BYTE>(strLast[i]);
        if (i + 1 < strLast.size() && IsSJisLeadByte(by) &&
            IsSJisTrailByte(static_cast<BYTE>(strLast[i + 1]))) {
            ++i; // a trail byte 0x5C or 0x7C is part of its character
        } else {
            bPlain = by != '/' && by != 0 && !tessaly::win32::IsRefusedInWindowsName(by);
        }
    }
    if (!bPlain || strFull.size() <= strLast.size() + 1 ||
        strFull.substr(strFull.size() - strLast.size()) != strLast ||
        strFull[strFull.size() - strLast.size() - 1] != '\\') {
        return ShowPath(strPath);
    }
    const std::string_view strFolder = strFull.substr(0, strFull.size() - strLast.size() - 1);
    auto it = std::find_if(t_aShownFolders.begin(), t_aShownFolders.end(),
                           [&](const CShownFolder& f) { return f.m_strAnsi == strFolder; });
    if (it == t_aShownFolders.end()) {
        it = t_aShownFolders.begin() + static_cast<std::ptrdiff_t>(t_uNextShownFolder);
        t_uNextShownFolder = (t_uNextShownFolder + 1) % t_aShownFolders.size();
        it->m_strAnsi = strFolder;
        // A 0x5C after a lead byte is the trail of a character, not a separator.
        const bool bCutAtSeparator =
            !IsEndingInSJisLeadByte(strFolder.data(), static_cast<DWORD>(strFolder.size()));
        it->m_strPosix =
            bCutAtSeparator ? tessaly::win32::WindowsToPosixPath(strFolder) : std::nullopt;
    }
    if (!it->m_strPosix || it->m_strPosix->empty()) {
        return ShowPath(strPath);
    }
    // A moved file's two lines end in the same name: its disk form is kept for the second.
    thread_local std::string s_strLastAnsi;
    thread_local std::string s_strLastDisk;
    if (s_strLastAnsi != strLast) {
        s_strLastDisk = tessaly::win32::AnsiNameToDisk(strLast);
        s_strLastAnsi = strLast;
    }
    std::string strOut;
    strOut.reserve(it->m_strPosix->size() + 1 + s_strLastDisk.size());
    strOut = *it->m_strPosix;
    return JoinShownPath(std::move(strOut), s_strLastDisk);
}

std::string JoinShownPath(std::string strFolder, std::string_view strName) {
    const char cSeparator = !strFolder.empty() && strFolder.front() != '/' ? '\\' : '/';
    if (strFolder.empty() || strFolder.back() != cSeparator) {
        strFolder += cSeparator;
    }
    strFolder.append(strName);
    return strFolder;
}
