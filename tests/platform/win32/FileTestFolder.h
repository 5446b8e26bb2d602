// The path tests' temporary folder, also mapped to drive T:, with helpers to lay out and read back
// file contents.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "tests/platform/win32/PathTestFolder.h"

class FileTestFolder : public PathTestFolder {
protected:
    void SetUp() override {
        PathTestFolder::SetUp();
        MapDrives({{'T', m_strRoot}});
    }

    static void WriteBytes(const std::string& strPath, const std::string& strBytes) {
        std::ofstream out(FsPath(strPath), std::ios::binary | std::ios::trunc);
        out << strBytes;
        ASSERT_TRUE(out.good()) << strPath;
    }

    static std::string ReadBytes(const std::string& strPath) {
        std::ifstream in(FsPath(strPath), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    // Whether the name exists below the folder (a dangling link counts).
    bool Exists(const std::string& strRelative) const {
        std::error_code error;
        return std::filesystem::exists(
            std::filesystem::symlink_status(FsPath(Posix(strRelative)), error));
    }

    // The names in a folder below the test folder ("" for the folder itself).
    std::set<std::string> Names(const std::string& strRelative = {}) const {
        std::set<std::string> names;
        // An empty drive root lists nothing at all, not even "." (Windows: "no such file").
        std::error_code error;
        std::filesystem::directory_iterator it(FsPath(Posix(strRelative)), error);
        EXPECT_TRUE(!error || strRelative.empty()) << strRelative << ": " << error.message();
        for (const auto& entry : it) {
            const std::u8string strName = entry.path().filename().u8string();
            names.insert(std::string(strName.begin(), strName.end()));
        }
        return names;
    }
};
