// Entries as the collection makes them, for the tests of what runs over a collection. Header-only.
#pragma once

#include <string>

#include "engine/FileEntry.h"
#include "support/AnsiText.h"

namespace tessaly::test {

inline std::string Ansi(const std::string& strUtf8) {
    return std::string(static_cast<LPCSTR>(AnsiFromUtf8(strUtf8.c_str())));
}

// An entry collected from root (a Windows path) at root\relative\name.
inline CFileEntry Entry(const std::string& strRoot, const std::string& strRelFolder,
                        const std::string& strName) {
    CFileEntry entry;
    entry.m_strRoot = Ansi(strRoot).c_str();
    entry.m_strFolder =
        Ansi(strRelFolder.empty() ? strRoot : strRoot + "\\" + strRelFolder).c_str();
    entry.m_strName = Ansi(strName).c_str();
    entry.m_strFullPath = entry.m_strFolder + "\\" + entry.m_strName;
    return entry;
}

} // namespace tessaly::test
