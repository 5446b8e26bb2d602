// A fresh temporary folder mapped to a drive letter of its own, with "the executable" placed in
// it, so that tests running in parallel keep TraceFile.txt and every other file apart. Restores
// the drive table and the module path and removes the folder afterwards. Header-only.
// Windows has no drive table: there the folder is the system's temporary folder's, Drive() is its
// full path, and one process keeps one folder name per letter, as a drive letter stays the same.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>

#ifdef _WIN32
#include <process.h>
#endif

#include "platform/win32/NameCodec.h"
#include "platform/win32/Win32Drives.h"
#include "platform/win32/Win32TestHooks.h"

namespace tessaly::test {

class TempDrive {
public:
    static constexpr const char* kExeName = "tessaly";

    explicit TempDrive(char cLetter = 'T') : m_cLetter(cLetter) {
        std::random_device random;
        std::filesystem::path root;
        for (int iTry = 0;; ++iTry) {
            std::string strName = "tessaly-test-" + std::to_string(random());
#ifdef _WIN32
            // The program reads its executable's folder once per process (the picker's fallback):
            // the same name for the same letter keeps that folder this test's. One left by an
            // ended process goes first, as Wine hands out the same process ids run after run.
            if (iTry == 0) {
                strName = "tessaly-test-" + std::to_string(_getpid()) + "-" + m_cLetter;
            }
#endif
            root = std::filesystem::temp_directory_path() / strName;
#ifdef _WIN32
            if (iTry == 0 && LiveFolders().count(strName) == 0) {
                std::error_code ec;
                std::filesystem::remove_all(root, ec);
            }
#endif
            if (std::filesystem::create_directory(root)) {
#ifdef _WIN32
                LiveFolders().insert(strName);
                m_strName = strName;
#endif
                break;
            }
            if (iTry == 100) {
                throw std::runtime_error("no temporary folder could be made");
            }
        }
        const std::u8string strRoot = std::filesystem::canonical(root).u8string();
        m_strRoot.assign(strRoot.begin(), strRoot.end());
        m_mapSavedDrives = win32::GetDriveTable();
        std::map<char, std::string> mapDrives = m_mapSavedDrives;
        mapDrives[m_cLetter] = m_strRoot;
        win32::SetDriveTable(mapDrives);
        win32::SetModuleFileNameForTests(PosixPath(kExeName));
    }

    ~TempDrive() {
        win32::ClearSysCallFailures();
        win32::SetModuleFileNameForTests({});
        win32::SetDriveTable(m_mapSavedDrives);
        std::error_code ec;
        std::filesystem::remove_all(Native(), ec);
#ifdef _WIN32
        LiveFolders().erase(m_strName);
#endif
    }

    TempDrive(const TempDrive&) = delete;
    TempDrive& operator=(const TempDrive&) = delete;

#ifdef _WIN32
    static constexpr char kSeparator = '\\';
    // The folder's full path (no separator), the executable's folder as the program sees it.
    std::string Drive() const {
        std::string strAnsi;
        win32::Utf8ToAnsi(m_strRoot, strAnsi);
        return strAnsi;
    }
    // The folder as the program keeps it when it stands there: its full path, no drive's root.
    std::string RootFolder() const {
        return Drive();
    }
#else
    static constexpr char kSeparator = '/';
    // "T:" (no separator), the executable's folder as the program sees it.
    std::string Drive() const {
        return std::string(1, m_cLetter) + ":";
    }
    // The drive's root as the program keeps it when it stands there: "T:\", with its separator.
    std::string RootFolder() const {
        return Drive() + "\\";
    }
#endif
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
    // The same path as a window shows it (UTF-8); "" gives RootFolder().
    std::string ShownPath(std::string_view strUtf8Relative = {}) const {
        return win32::AnsiToUtf8(strUtf8Relative.empty() ? RootFolder() : WinPath(strUtf8Relative));
    }
    // The system's path (UTF-8) of a UTF-8 path relative to the root, '/' separating.
    std::string PosixPath(std::string_view strUtf8Relative = {}) const {
        std::string strPath =
            strUtf8Relative.empty() ? m_strRoot : m_strRoot + "/" + std::string(strUtf8Relative);
        for (char& c : strPath) {
            c = c == '/' ? kSeparator : c;
        }
        return strPath;
    }
    // The same for the standard library, whose narrow paths are not UTF-8 on Windows.
    std::filesystem::path Native(std::string_view strUtf8Relative = {}) const {
        const std::string strPath = PosixPath(strUtf8Relative);
        return std::filesystem::path(std::u8string(strPath.begin(), strPath.end()));
    }
    // The bytes of a file below the root; empty when it cannot be read.
    std::string ReadBytes(std::string_view strUtf8Relative) const {
        std::ifstream file(Native(strUtf8Relative), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }
    void WriteBytes(std::string_view strUtf8Relative, std::string_view strBytes) const {
        const std::filesystem::path path = Native(strUtf8Relative);
        std::filesystem::create_directories(path.parent_path());
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        file.write(strBytes.data(), static_cast<std::streamsize>(strBytes.size()));
    }
    bool Exists(std::string_view strUtf8Relative) const {
        return std::filesystem::exists(Native(strUtf8Relative));
    }

private:
#ifdef _WIN32
    // The folder names of this process's TempDrives that exist now.
    static std::set<std::string>& LiveFolders() {
        static std::set<std::string> s_setNames;
        return s_setNames;
    }
    std::string m_strName;
#endif
    char m_cLetter;
    std::string m_strRoot;
    std::map<char, std::string> m_mapSavedDrives;
};

} // namespace tessaly::test
