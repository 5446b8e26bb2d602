// Builds store entries for the engine tests. Header-only.
#pragma once

#include <string>

#include "engine/FileEntry.h"
#include "support/AnsiText.h"

namespace tessaly::test {

// An entry for folder\name (both UTF-8, converted to CP932), without identifier unless given.
inline CFileEntry MakeEntry(const std::string& strFolder, const std::string& strName,
                            ULONGLONG ullSize = 0, DWORD nId = CFileEntry::kNoId) {
    CFileEntry entry;
    entry.m_strFolder = AnsiFromUtf8(strFolder.c_str());
    entry.m_strName = AnsiFromUtf8(strName.c_str());
    entry.m_strFullPath = entry.m_strFolder + "\\" + entry.m_strName;
    entry.m_strRoot = AnsiFromUtf8("C:\\root");
    entry.m_ullSize = ullSize;
    entry.m_nId = nId;
    return entry;
}

} // namespace tessaly::test
