// The path parser and the name codec together, on arbitrary bytes: every component the parser
// sees is exactly one name on disk; the folder the program cuts off a path is the one the parser
// sees; every on-disk name comes back byte for byte and is one component to the parser and to the
// program's own byte tests.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/FuzzCheck.h"
#include "platform/win32/NameCodec.h"
#include "platform/win32/posix/PathState.h"
#include "support/PathHelpers.h"
#include "support/SJisConv.h"

namespace {

using tessaly::win32::detail::ParseWindowsPath;
using tessaly::win32::detail::SplitPosixPath;
using tessaly::win32::detail::WindowsPath;

// Bytes 0xF6-0xFC are lead bytes to the code page (and so to the program's UTF-16 strings) but not
// to its byte tests; the codec never writes them as leads, so only such foreign text may read
// differently in the two.
bool HasForeignLeadBytes(const std::string& str) {
    for (char c : str) {
        const auto by = static_cast<unsigned char>(c);
        if (by >= 0xF6 && by <= 0xFC) {
            return true;
        }
    }
    return false;
}

void CheckAnyPath(const std::string& strPath) {
    WindowsPath path;
    if (!ParseWindowsPath(strPath, path)) {
        return;
    }
    FUZZ_CHECK(path.aAnsi.size() == path.aDisk.size());
    for (std::size_t k = 0; k < path.aDisk.size(); ++k) {
        const std::string& strDisk = path.aDisk[k];
        FUZZ_CHECK(!strDisk.empty() && strDisk != "." && strDisk != "..");
        FUZZ_CHECK(strDisk.find('/') == std::string::npos);
        FUZZ_CHECK(strDisk.find('\0') == std::string::npos);
        FUZZ_CHECK(tessaly::win32::AnsiNameToDisk(path.aAnsi[k]) == strDisk);
    }
    // The POSIX path holds exactly the parser's components (Z: is "/").
    FUZZ_CHECK(SplitPosixPath(path.PosixPath()) == path.aDisk);

    if (HasForeignLeadBytes(strPath)) {
        return;
    }
    // The program cuts the folder off at its own last separator: that folder is the one the
    // parser sees above the last component.
    const std::string strName = std::string(GetFileNameFromPath(strPath.c_str()));
    const std::string strFolder = std::string(GetFolderFromPath(strPath.c_str()));
    if (strName.empty() || strName == "." || strName == ".." || strFolder.size() < 3 ||
        path.aDisk.empty()) {
        return;
    }
    WindowsPath folder;
    FUZZ_CHECK(ParseWindowsPath(strFolder, folder));
    FUZZ_CHECK(folder.aDisk == std::vector<std::string>(path.aDisk.begin(), path.aDisk.end() - 1));
}

void CheckDiskName(const std::string& strDisk) {
    if (strDisk.empty() || strDisk == "." || strDisk == "..") {
        return;
    }
    std::string strAnsi;
    FUZZ_CHECK(tessaly::win32::DiskNameToAnsi(strDisk, strAnsi));
    FUZZ_CHECK(tessaly::win32::AnsiNameToDisk(strAnsi) == strDisk);

    const std::string strPath = "Z:\\dir\\" + strAnsi;
    WindowsPath path;
    FUZZ_CHECK(ParseWindowsPath(strPath, path));
    FUZZ_CHECK(!path.strPattern.has_value() && !path.bTrailingSeparator);
    FUZZ_CHECK(path.aAnsi == (std::vector<std::string>{"dir", strAnsi}));
    FUZZ_CHECK(path.aDisk == (std::vector<std::string>{"dir", strDisk}));

    // The program's byte tests see the same one name.
    const DWORD dwLen = static_cast<DWORD>(strAnsi.size());
    FUZZ_CHECK(!IsEndingInSJisLeadByte(strAnsi.c_str(), dwLen));
    FUZZ_CHECK(ReverseFindByteSJis(strPath.c_str(), '\\') == 6);
    FUZZ_CHECK(std::string(GetFileNameFromPath(strPath.c_str())) == strAnsi);
    FUZZ_CHECK(std::string(GetFolderFromPath(strPath.c_str())) == "Z:\\dir");
    DWORD dwWide = 0;
    WCHAR* pwcWide = ConvSJisToWideChar(strAnsi.c_str(), dwLen, &dwWide);
    FUZZ_CHECK(pwcWide != nullptr);
    DWORD dwBack = 0;
    char* pcBack = ConvWideCharToSJis(pwcWide, dwWide, &dwBack);
    FUZZ_CHECK(pcBack != nullptr && std::string(pcBack, dwBack) == strAnsi);
    delete[] pcBack;
    delete[] pwcWide;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    QuietTraceForFuzzing();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize) {
    if (nSize > 2048) {
        return 0;
    }
    const std::string strBytes(reinterpret_cast<const char*>(pData), nSize);

    std::string strPath = "Z:\\";
    std::string strDisk;
    for (char c : strBytes) {
        if (c != '\0') {
            strPath += c;
        }
        if (c != '\0' && c != '/') {
            strDisk += c;
        }
    }
    CheckAnyPath(strPath);
    CheckDiskName(strDisk);

    // Free text keeps every byte too.
    std::string strAnsi;
    FUZZ_CHECK(tessaly::win32::Utf8ToAnsi(strBytes, strAnsi, tessaly::win32::TextKind::Text));
    FUZZ_CHECK(tessaly::win32::AnsiToUtf8(strAnsi) == strBytes);
    return 0;
}
