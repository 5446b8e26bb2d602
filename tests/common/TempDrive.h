// A fresh temporary folder mapped to a drive letter of its own, with "the executable" placed in
// it, so that tests running in parallel keep TraceFile.txt and every other file apart. Restores
// the drive table and the module path and removes the folder afterwards. Header-only.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/win32/NameCodec.h"
#include "platform/win32/Win32Drives.h"
#include "platform/win32/Win32TestHooks.h"

namespace tessaly::test {

class TempDrive {
public:
    static constexpr const char* kExeName = "tessaly";

    explicit TempDrive(char cLetter = 'T') : m_cLetter(cLetter) {
        std::string strTemplate =
            (std::filesystem::temp_directory_path() / "tessaly-test-XXXXXX").string();
        if (mkdtemp(strTemplate.data()) == nullptr) {
            throw std::runtime_error("mkdtemp failed");
        }
        m_strRoot = strTemplate;
        m_mapSavedDrives = win32::GetDriveTable();
        std::map<char, std::string> mapDrives = m_mapSavedDrives;
        mapDrives[m_cLetter] = m_strRoot;
        win32::SetDriveTable(mapDrives);
        win32::SetModuleFileNameForTests(m_strRoot + "/" + kExeName);
    }

    ~TempDrive() {
        win32::ClearSysCallFailures();
        win32::SetModuleFileNameForTests({});
        win32::SetDriveTable(m_mapSavedDrives);
        std::error_code ec;
        std::filesystem::remove_all(m_strRoot, ec);
    }

    TempDrive(const TempDrive&) = delete;
    TempDrive& operator=(const TempDrive&) = delete;

    // "T:" (no separator), the executable's folder as the program sees it.
    std::string Drive() const { return std::string(1, m_cLetter) + ":"; }
    // The CP932 Windows path of a UTF-8 path relative to the root ("" gives "T:\").
    std::string WinPath(std::string_view strUtf8Relative = {}) const {
        std::string strRelative;
        win32::Utf8ToAnsi(strUtf8Relative, strRelative);
        for (char& c : strRelative) {
            if (c == '/') {
                c = '\\';
            }
        }
        return Drive() + "\\" + strRelative;
    }
    // The POSIX path of a UTF-8 path relative to the root.
    std::string PosixPath(std::string_view strUtf8Relative = {}) const {
        return strUtf8Relative.empty() ? m_strRoot : m_strRoot + "/" + std::string(strUtf8Relative);
    }
    // The bytes of a file below the root; empty when it cannot be read.
    std::string ReadBytes(std::string_view strUtf8Relative) const {
        std::ifstream file(PosixPath(strUtf8Relative), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }
    void WriteBytes(std::string_view strUtf8Relative, std::string_view strBytes) const {
        const std::filesystem::path path(PosixPath(strUtf8Relative));
        std::filesystem::create_directories(path.parent_path());
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        file.write(strBytes.data(), static_cast<std::streamsize>(strBytes.size()));
    }
    bool Exists(std::string_view strUtf8Relative) const {
        return std::filesystem::exists(PosixPath(strUtf8Relative));
    }

private:
    char m_cLetter;
    std::string m_strRoot;
    std::map<char, std::string> m_mapSavedDrives;
};

} // namespace tessaly::test
